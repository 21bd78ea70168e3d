#pragma once
// Date-time values as the program keeps them: a count of days since
// 1899-12-30 whose fraction is the time of day. Only differences of two
// readings of the clock are ever shown, so the formatting here works on the
// time-of-day part and drops whole days.

#include "runtime/String.h"

namespace varnel {

using TDateTime = double;

inline constexpr int kHoursPerDay = 24;
inline constexpr int kMSecsPerSec = 1000;
inline constexpr int kMSecsPerDay = 24 * 60 * 60 * kMSecsPerSec;

// Years 1..9999; throws EConvertError for a date that does not exist.
TDateTime EncodeDate(int year, int month, int day);
// Hour 0..23, minute and second 0..59, millisecond 0..999; throws
// EConvertError otherwise.
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
// The date plus the time of day (before 1899-12-30 the fraction counts away
// from zero, as the day count does).
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int millisecond);

struct TTimeParts {
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  int Millisecond = 0;
};

// The time of day of `value`, taken to the nearest whole millisecond first
// (so 0.999999 ms never shows as 59.999 s) and then reduced below one day.
TTimeParts DecodeTime(TDateTime value);

// The elapsed-time text h"h":nn"m":ss"s": hour without a leading zero,
// minutes and seconds with two digits, `timeSeparator` between the groups.
String FormatElapsed(TDateTime value, char16_t timeSeparator);

// The duration text of one item: minutes, "m:", seconds, "s:", milliseconds,
// "ms", all without leading zeros; hours and days are dropped.
String FormatItemTime(TDateTime value);

}  // namespace varnel
