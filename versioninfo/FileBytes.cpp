#include "versioninfo/FileBytes.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

#include "versioninfo/ErrorCodes.h"

namespace varnel::versioninfo {
namespace {

std::filesystem::path ToPath(const String& path) {
  const std::string utf8 = ToUtf8(path);
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// Why a file that did not open can't be read, in the platform's terms.
std::uint32_t OpenFailure(const std::filesystem::path& file) {
  std::error_code ec;
  const auto status = std::filesystem::status(file, ec);
  if (status.type() == std::filesystem::file_type::not_found) {
    const auto parent = file.parent_path();
    if (parent.empty() || file.relative_path() == file.filename()) return kErrorFileNotFound;
    return std::filesystem::is_directory(parent, ec) ? kErrorFileNotFound : kErrorPathNotFound;
  }
  return kErrorAccessDenied;  // a folder, or no permission
}

}  // namespace

std::uint32_t StreamFileReader::ReadAll(const String& path, std::vector<std::byte>& bytes) {
  // The whole file is the part that starts at 0 and is as long as it can be.
  return ReadFilePart(path, 0, std::numeric_limits<std::size_t>::max(), bytes);
}

std::uint32_t ReadFilePart(const String& path, std::uint64_t offset, std::size_t count,
                           std::vector<std::byte>& bytes) {
  bytes.clear();
  const std::filesystem::path file = ToPath(path);
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) return kErrorAccessDenied;
  std::ifstream in(file, std::ios::binary);
  if (!in) return OpenFailure(file);
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) return kErrorReadFault;
  if (offset >= static_cast<std::uint64_t>(size)) return 0;
  const std::uint64_t available = static_cast<std::uint64_t>(size) - offset;
  bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(count, available)));
  in.seekg(static_cast<std::streamoff>(offset), std::ios::beg);
  if (!bytes.empty() &&
      !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
    bytes.clear();
    return kErrorReadFault;
  }
  return 0;
}

}  // namespace varnel::versioninfo
