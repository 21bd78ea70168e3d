#pragma once
// Bounds-checked little-endian reads over a byte span: the version block and
// PE parsers ask Has() before every read; the reads themselves check nothing.

#include <cstddef>
#include <cstdint>
#include <span>

namespace varnel::versioninfo {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::byte> bytes) noexcept : bytes_(bytes) {}

  std::size_t size() const noexcept { return bytes_.size(); }

  // True when [offset, offset + count) lies inside the bytes, without
  // overflowing on large offsets.
  bool Has(std::size_t offset, std::size_t count) const noexcept {
    return offset <= bytes_.size() && count <= bytes_.size() - offset;
  }

  // Callers check Has(offset, 2) / Has(offset, 4) first.
  std::uint16_t U16(std::size_t offset) const noexcept {
    return static_cast<std::uint16_t>(Byte(offset) | (Byte(offset + 1) << 8));
  }
  std::uint32_t U32(std::size_t offset) const noexcept {
    return Byte(offset) | (Byte(offset + 1) << 8) | (Byte(offset + 2) << 16) |
           (Byte(offset + 3) << 24);
  }

 private:
  std::uint32_t Byte(std::size_t offset) const noexcept {
    return std::to_integer<std::uint32_t>(bytes_[offset]);
  }

  std::span<const std::byte> bytes_;
};

}  // namespace varnel::versioninfo
