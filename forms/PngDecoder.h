#pragma once
#include <cstdint>
#include <span>
#include <vector>
namespace varnel::forms {
struct DecodedImage { int Width = 0; int Height = 0; std::vector<std::uint32_t> Pixels; };
DecodedImage DecodePng(std::span<const std::uint8_t> bytes);
}
