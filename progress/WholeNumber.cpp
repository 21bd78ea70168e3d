#include "progress/WholeNumber.h"

#include <cmath>
#include <cstdint>

namespace varnel::progress {

String FormatWholeNumber(long double value) {
  if (std::isnan(value)) return u"NAN";
  if (std::isinf(value)) return value < 0 ? u"-INF" : u"INF";
  const long double rounded = std::round(value);
  if (std::fabs(rounded) < 9.0e18L) {
    const auto whole = static_cast<std::int64_t>(rounded);
    // -0.4 rounds to a zero that should not keep its sign.
    return IntToStr(whole);
  }
  // Beyond 64 bits every representable value is already whole: peel the
  // decimal digits off one by one.
  String digits;
  long double rest = std::fabs(rounded);
  while (rest >= 1.0L) {
    const long double digit = std::fmod(rest, 10.0L);
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + static_cast<int>(digit)));
    rest = std::floor(rest / 10.0L);
  }
  if (rounded < 0) digits.insert(digits.begin(), u'-');
  return digits;
}

}  // namespace varnel::progress
