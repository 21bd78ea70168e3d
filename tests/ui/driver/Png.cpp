#include "tests/ui/driver/Png.h"

#include <zlib.h>

#include <array>

#include "runtime/Exceptions.h"

namespace varnel::ui {

namespace {

constexpr std::array<std::uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
}

std::uint32_t GetBigEndian(const std::vector<std::uint8_t>& in, std::size_t at) {
  return (std::uint32_t{in[at]} << 24) | (std::uint32_t{in[at + 1]} << 16) |
         (std::uint32_t{in[at + 2]} << 8) | std::uint32_t{in[at + 3]};
}

void PutChunk(std::vector<std::uint8_t>& out, const char (&type)[5],
              const std::vector<std::uint8_t>& data) {
  PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc =
      ::crc32(::crc32(0L, Z_NULL, 0), out.data() + typeAt, static_cast<uInt>(4 + data.size()));
  PutBigEndian(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const Pixels& pixels) {
  if (pixels.Width <= 0 || pixels.Height <= 0) throw Exception(u"Empty picture");
  const auto width = static_cast<std::size_t>(pixels.Width);
  const auto height = static_cast<std::size_t>(pixels.Height);
  std::vector<std::uint8_t> raw;
  raw.reserve(height * (1 + 3 * width));
  for (std::size_t y = 0; y < height; ++y) {
    raw.push_back(0);  // filter type None
    for (std::size_t x = 0; x < width; ++x) {
      const std::uint32_t p = pixels.Data[y * width + x];
      raw.push_back(static_cast<std::uint8_t>(p >> 16));
      raw.push_back(static_cast<std::uint8_t>(p >> 8));
      raw.push_back(static_cast<std::uint8_t>(p));
    }
  }
  uLongf packedSize = ::compressBound(static_cast<uLong>(raw.size()));
  std::vector<std::uint8_t> packed(packedSize);
  if (::compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) !=
      Z_OK)
    throw Exception(u"Cannot compress the picture");
  packed.resize(packedSize);

  std::vector<std::uint8_t> header;
  PutBigEndian(header, static_cast<std::uint32_t>(width));
  PutBigEndian(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace

  std::vector<std::uint8_t> out(kSignature.begin(), kSignature.end());
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", packed);
  PutChunk(out, "IEND", {});
  return out;
}

bool ReadPngSize(const std::vector<std::uint8_t>& bytes, int& width, int& height) {
  if (bytes.size() < 33 || !std::equal(kSignature.begin(), kSignature.end(), bytes.begin()))
    return false;
  if (GetBigEndian(bytes, 8) != 13 || bytes[12] != 'I' || bytes[13] != 'H' || bytes[14] != 'D' ||
      bytes[15] != 'R')
    return false;
  const uLong crc = ::crc32(::crc32(0L, Z_NULL, 0), bytes.data() + 12, 17);
  if (GetBigEndian(bytes, 29) != static_cast<std::uint32_t>(crc)) return false;
  width = static_cast<int>(GetBigEndian(bytes, 16));
  height = static_cast<int>(GetBigEndian(bytes, 20));
  return true;
}

}  // namespace varnel::ui
