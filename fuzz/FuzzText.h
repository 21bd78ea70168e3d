#pragma once
// Turning fuzz input bytes into UTF-16 text. The first byte picks the
// reading: even means one unit per byte (Latin-1), which lets the fuzzer
// reach ASCII-shaped texts (braces, quotes, digits) quickly; odd means
// little-endian UTF-16 pairs, which reaches every unit including unpaired
// surrogates.

#include <cstddef>
#include <cstdint>
#include <span>

#include "runtime/String.h"

namespace varnel::fuzz {

inline String TextFromBytes(std::span<const std::uint8_t> data) {
  String text;
  if (data.empty()) return text;
  const bool wide = (data[0] & 1u) != 0;
  const std::span<const std::uint8_t> rest = data.subspan(1);
  if (!wide) {
    text.reserve(rest.size());
    for (const std::uint8_t b : rest) text += static_cast<char16_t>(b);
    return text;
  }
  text.reserve(rest.size() / 2);
  for (std::size_t i = 0; i + 1 < rest.size(); i += 2) {
    text += static_cast<char16_t>(rest[i] | (rest[i + 1] << 8));
  }
  return text;
}

// Splits at the first U+0000 into two texts; the second ends at the next
// U+0000 if there is one. Neither part holds a NUL.
inline void SplitAtNul(const String& text, String& first, String& second) {
  const std::size_t cut = text.find(u'\0');
  if (cut == String::npos) {
    first = text;
    second.clear();
    return;
  }
  first = text.substr(0, cut);
  const std::size_t end = text.find(u'\0', cut + 1);
  second = text.substr(cut + 1, end == String::npos ? String::npos : end - cut - 1);
}

}  // namespace varnel::fuzz
