#include "versioninfo/PeVersionSource.h"

#include <algorithm>
#include <limits>

#include "versioninfo/ErrorCodes.h"
#include "versioninfo/PeResource.h"
#include "versioninfo/VersionBlock.h"

namespace varnel::versioninfo {

PeVersionSource::PeVersionSource(IFileReader& files, SystemTextFunction systemText)
    : files_(files), systemText_(std::move(systemText)) {}

bool PeVersionSource::Load(const String& path, std::vector<std::byte>& file,
                           std::span<const std::byte>& resource) {
  if (const std::uint32_t error = files_.ReadAll(path, file); error != 0) {
    lastError_ = error;
    return false;
  }
  const PeResourceLookup found = FindVersionResource(file);
  if (found.error != 0) {
    lastError_ = found.error;
    return false;
  }
  resource = found.data;
  return true;
}

std::uint32_t PeVersionSource::FileVersionInfoSize(const String& path) {
  std::vector<std::byte> file;
  std::span<const std::byte> resource;
  if (!Load(path, file, resource)) return 0;
  // The size comes from a 32-bit field of the image, so it always fits.
  return static_cast<std::uint32_t>(
      std::min<std::size_t>(resource.size(), std::numeric_limits<std::uint32_t>::max()));
}

bool PeVersionSource::FileVersionInfo(const String& path, std::span<std::byte> buffer) {
  std::vector<std::byte> file;
  std::span<const std::byte> resource;
  if (!Load(path, file, resource)) return false;
  // Like the platform: a buffer shorter than the block gets its first part,
  // a longer one is zero-filled after it.
  const std::size_t count = std::min(buffer.size(), resource.size());
  std::copy_n(resource.begin(), count, buffer.begin());
  std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(count), buffer.end(), std::byte{0});
  return true;
}

bool PeVersionSource::QueryValue(std::span<const std::byte> block, const String& subBlock,
                                 VersionValue& value) {
  if (VerQueryValueBlock(block, subBlock, value)) return true;
  lastError_ = kErrorResourceTypeNotFound;  // what the platform's query sets
  return false;
}

}  // namespace varnel::versioninfo
