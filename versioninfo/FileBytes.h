#pragma once
// The one thing the portable version source needs from the file system:
// a whole file's bytes. Behind an interface so that tests feed images from
// memory.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/String.h"

namespace varnel::versioninfo {

class IFileReader {
 public:
  virtual ~IFileReader() = default;
  // Fills `bytes` with the file's contents and returns 0, or returns the
  // Windows error code that says why the file can't be read.
  virtual std::uint32_t ReadAll(const String& path, std::vector<std::byte>& bytes) = 0;
};

// Reads through std::ifstream; the UTF-16 path is handed to the standard
// library as UTF-8, which it converts to the platform's own path encoding.
class StreamFileReader final : public IFileReader {
 public:
  std::uint32_t ReadAll(const String& path, std::vector<std::byte>& bytes) override;
};

// Up to `count` bytes of the file from `offset` on, fewer where the file
// ends (none past its end); 0, or the Windows error code that says why the
// file can't be read. For headers, where reading the whole file is waste.
std::uint32_t ReadFilePart(const String& path, std::uint64_t offset, std::size_t count,
                           std::vector<std::byte>& bytes);

}  // namespace varnel::versioninfo
