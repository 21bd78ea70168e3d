#pragma once
// Text is UTF-16 everywhere; the Win32 layer converts at its boundary.

#include <cstdint>
#include <string>
#include <string_view>

namespace varnel {

using String = std::u16string;
using StringView = std::u16string_view;

// Decimal text of a signed 64-bit number, as "%d" gives it.
String IntToStr(std::int64_t value);

// Hexadecimal digits in upper case, zero-padded on the left to at least
// `digits` characters (the "%.Nx" conversion of this program's formatter).
String IntToHex(std::uint64_t value, int digits);

// UTF-8 <-> UTF-16, for logs, test output and file names on Linux.
// Unpaired surrogates and invalid bytes become U+FFFD.
std::string ToUtf8(StringView text);
String FromUtf8(std::string_view text);

// Removes trailing characters in [U+0000, U+0020] and, when `periods` is
// true, trailing "." too, in any mix.
String TrimRightControlAndPeriods(StringView text, bool periods);

}  // namespace varnel
