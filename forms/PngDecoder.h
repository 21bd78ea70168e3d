#pragma once
// A small PNG decoder for the pictures the windows show (the banner). It
// takes the file's bytes and gives plain 32-bit pixels; zlib does the inflate.
// Every malformed or unsupported input raises EConvertError; no input makes
// it read or write outside its buffers.

#include <cstdint>
#include <span>
#include <vector>

namespace varnel::forms {

// Top-down rows of Width pixels, each 0xAARRGGBB with straight (not
// premultiplied) alpha; opaque pixels carry alpha 0xFF.
struct DecodedImage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Pixels;
};

// Largest accepted image: each side at most this many pixels ...
inline constexpr std::uint32_t kPngMaxSide = 16384;
// ... and at most this many pixels in all.
inline constexpr std::uint64_t kPngMaxPixels = 64ull * 1024 * 1024;

// Decodes a non-interlaced PNG: greyscale (bit depths 1, 2, 4, 8), truecolour
// (8), palette (1, 2, 4, 8), grey with alpha (8) and truecolour with alpha
// (8), with tRNS transparency. Raises EConvertError ("PNG: ...") otherwise.
DecodedImage DecodePng(std::span<const std::uint8_t> bytes);

}  // namespace varnel::forms
