// libFuzzer entry for the PNG decoder: any input must either decode or raise
// EConvertError; everything else (a crash, a sanitizer report, another
// exception escaping) is a finding.
//
// A mutated chunk almost never keeps a matching CRC, so nearly every input
// would stop at the CRC check. When the input as given is refused, it is
// decoded once more with every chunk's CRC recomputed, which lets the
// mutations reach the header, palette, transparency and filter code.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "forms/PngDecoder.h"
#include "runtime/Exceptions.h"

namespace {

bool Decode(std::span<const std::uint8_t> bytes) {
  try {
    const varnel::forms::DecodedImage image = varnel::forms::DecodePng(bytes);
    // A decoded image always has one pixel per position.
    if (image.Pixels.size() !=
        static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height))
      __builtin_trap();
    return true;
  } catch (const varnel::EConvertError&) {
    return false;
  }
}

std::uint32_t ReadU32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) |
         (std::uint32_t{b[at + 2]} << 8) | std::uint32_t{b[at + 3]};
}

// Rewrites the CRC of every whole chunk after the 8-byte signature; false
// when nothing changed.
bool RepairCrcs(std::vector<std::uint8_t>& b) {
  bool changed = false;
  std::size_t at = 8;
  while (b.size() >= 12 && at <= b.size() - 12) {
    const std::size_t length = ReadU32(b, at);
    if (length > b.size() - at - 12) break;
    const auto crc =
        static_cast<std::uint32_t>(crc32(0, b.data() + at + 4, static_cast<uInt>(4 + length)));
    const std::size_t field = at + 8 + length;
    if (ReadU32(b, field) != crc) {
      for (std::size_t i = 0; i < 4; ++i)
        b[field + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
      changed = true;
    }
    at = field + 4;
  }
  return changed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  if (Decode(input)) return 0;
  std::vector<std::uint8_t> repaired(input.begin(), input.end());
  if (RepairCrcs(repaired)) Decode(repaired);
  return 0;
}
