#include "runtime/DateTime.h"

#include <cmath>
#include <cstdint>

#include "runtime/Exceptions.h"

namespace varnel {
namespace {

constexpr int kDaysFrom1899To1970 = 25569;

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 in the proleptic Gregorian calendar (the usual
// era-based count, exact for every year in range).
std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

String TwoDigits(int value) {
  String text = IntToStr(value);
  if (text.size() < 2) text.insert(text.begin(), u'0');
  return text;
}

}  // namespace

TDateTime EncodeDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month)) {
    throw EConvertError(u"Invalid argument to date encode");
  }
  return static_cast<TDateTime>(DaysFromCivil(year, month, day) + kDaysFrom1899To1970);
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  if (hour < 0 || hour >= kHoursPerDay || minute < 0 || minute >= 60 || second < 0 ||
      second >= 60 || millisecond < 0 || millisecond >= kMSecsPerSec) {
    throw EConvertError(u"Invalid argument to time encode");
  }
  const int msecs = ((hour * 60 + minute) * 60 + second) * kMSecsPerSec + millisecond;
  return static_cast<double>(msecs) / static_cast<double>(kMSecsPerDay);
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int millisecond) {
  const TDateTime date = EncodeDate(year, month, day);
  const TDateTime time = EncodeTime(hour, minute, second, millisecond);
  return date < 0 ? date - time : date + time;
}

TTimeParts DecodeTime(TDateTime value) {
  // Scaled in extended precision and rounded half to even, so a value that
  // lies a hair below a whole millisecond counts as that millisecond.
  const long double scaled =
      std::fabs(static_cast<long double>(value) * static_cast<long double>(kMSecsPerDay));
  TTimeParts parts;
  if (!(scaled < 9.0e18L)) return parts;  // NaN, infinite or absurdly far: no time of day
  const auto msecs = static_cast<std::int64_t>(std::llrint(scaled)) % kMSecsPerDay;
  auto rest = static_cast<int>(msecs);
  parts.Millisecond = rest % kMSecsPerSec;
  rest /= kMSecsPerSec;
  parts.Second = rest % 60;
  rest /= 60;
  parts.Minute = rest % 60;
  parts.Hour = rest / 60;
  return parts;
}

String FormatElapsed(TDateTime value, char16_t timeSeparator) {
  const TTimeParts t = DecodeTime(value);
  return IntToStr(t.Hour) + u'h' + timeSeparator + TwoDigits(t.Minute) + u'm' + timeSeparator +
         TwoDigits(t.Second) + u's';
}

String FormatItemTime(TDateTime value) {
  const TTimeParts t = DecodeTime(value);
  return IntToStr(t.Minute) + u"m:" + IntToStr(t.Second) + u"s:" + IntToStr(t.Millisecond) + u"ms";
}

}  // namespace varnel
