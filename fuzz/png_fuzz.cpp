// libFuzzer entry for the PNG decoder: any input must either decode or raise
// EConvertError; everything else (a crash, a sanitizer report, another
// exception escaping) is a finding.
#include <cstddef>
#include <cstdint>
#include <span>

#include "forms/PngDecoder.h"
#include "runtime/Exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const varnel::DecodedImage image = varnel::DecodePng(std::span<const std::uint8_t>(data, size));
    // A decoded image always has one pixel per position.
    if (image.Pixels.size() !=
        static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height))
      __builtin_trap();
  } catch (const varnel::EConvertError&) {
  }
  return 0;
}
