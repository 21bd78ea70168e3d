#pragma once
// A minimal PNG encoder: 8-bit RGB, one IDAT chunk, no filtering.

#include <cstdint>
#include <vector>

#include "tests/ui/driver/Screenshot.h"

namespace varnel::ui {

std::vector<std::uint8_t> EncodePng(const Pixels& pixels);

// Width and height from a PNG's IHDR, after checking its signature; false
// when the bytes are not a PNG.
bool ReadPngSize(const std::vector<std::uint8_t>& bytes, int& width, int& height);

}  // namespace varnel::ui
