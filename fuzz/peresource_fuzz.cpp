// libFuzzer entry for the PE resource reader: any image gives either one of
// the documented error codes or a resource lying inside the image; a found
// resource is then walked as a version block, and the whole portable version
// source (reader plus walker plus record) runs over the same image.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz/VersionChecks.h"
#include "versioninfo/ErrorCodes.h"
#include "versioninfo/FileBytes.h"
#include "versioninfo/PeResource.h"
#include "versioninfo/PeVersionSource.h"

namespace {

// Hands the fuzz input out as the contents of every file.
class MemoryFile final : public varnel::versioninfo::IFileReader {
 public:
  explicit MemoryFile(std::span<const std::byte> bytes) : bytes_(bytes) {}
  std::uint32_t ReadAll(const varnel::String&, std::vector<std::byte>& bytes) override {
    bytes.assign(bytes_.begin(), bytes_.end());
    return 0;
  }

 private:
  std::span<const std::byte> bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto image = std::as_bytes(std::span<const std::uint8_t>(data, size));
  const varnel::versioninfo::PeResourceLookup found =
      varnel::versioninfo::FindVersionResource(image);
  if (found.error != 0) {
    switch (found.error) {
      case varnel::versioninfo::kErrorResourceDataNotFound:
      case varnel::versioninfo::kErrorResourceTypeNotFound:
      case varnel::versioninfo::kErrorResourceNameNotFound:
      case varnel::versioninfo::kErrorResourceLangNotFound:
      case varnel::versioninfo::kErrorInvalidData:
        break;
      default:
        __builtin_trap();
    }
    if (!found.data.empty()) __builtin_trap();
  } else {
    if (found.data.empty() || found.data.data() < image.data() ||
        found.data.data() + found.data.size() > image.data() + image.size())
      __builtin_trap();
    varnel::fuzz::QueryCommonPaths(found.data);
  }

  MemoryFile file(image);
  varnel::versioninfo::PeVersionSource source(file);
  varnel::fuzz::ReadRecord(source);
  return 0;
}
