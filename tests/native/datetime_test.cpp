#include <gtest/gtest.h>

#include <cmath>

#include "runtime/DateTime.h"
#include "runtime/Exceptions.h"

using namespace varnel;

TEST(EncodeDate, CountsDaysFromTheEndOf1899) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1899, 12, 31), 1.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(1900, 3, 1), 61.0);  // 1900 is not a leap year
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
  EXPECT_EQ(EncodeDate(2024, 3, 1) - EncodeDate(2024, 2, 28), 2.0);  // 2024 is
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
}

TEST(EncodeDate, RefusesDatesThatDoNotExist) {
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_THROW(EncodeDate(2100, 2, 29), EConvertError);
  EXPECT_NO_THROW(EncodeDate(2000, 2, 29));
  EXPECT_THROW(EncodeDate(2024, 13, 1), EConvertError);
  EXPECT_THROW(EncodeDate(2024, 4, 31), EConvertError);
  EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
  EXPECT_THROW(EncodeDate(10000, 1, 1), EConvertError);
}

TEST(EncodeTime, IsTheFractionOfADay) {
  EXPECT_EQ(EncodeTime(0, 0, 0, 0), 0.0);
  EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
  EXPECT_DOUBLE_EQ(EncodeTime(23, 59, 59, 999), 86399999.0 / 86400000.0);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 60, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
  EXPECT_THROW(EncodeTime(-1, 0, 0, 0), EConvertError);
}

TEST(EncodeDateTime, AddsTheTimeAwayFromZero) {
  EXPECT_EQ(EncodeDateTime(1900, 1, 1, 12, 0, 0, 0), 2.5);
  // Before the epoch the day count is negative and the time of day still
  // counts as a positive fraction of it.
  EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
}

TEST(DecodeTime, RoundsToWholeMillisecondsFirst) {
  const TTimeParts t = DecodeTime(EncodeDateTime(2024, 5, 1, 13, 2, 3, 4));
  EXPECT_EQ(t.Hour, 13);
  EXPECT_EQ(t.Minute, 2);
  EXPECT_EQ(t.Second, 3);
  EXPECT_EQ(t.Millisecond, 4);

  // A hair below a whole minute is that minute, not 59.999 s.
  const TTimeParts almost = DecodeTime(std::nextafter(EncodeTime(0, 1, 0, 0), 0.0));
  EXPECT_EQ(almost.Minute, 1);
  EXPECT_EQ(almost.Second, 0);
  EXPECT_EQ(almost.Millisecond, 0);

  // 0.4 ms rounds down, 0.6 ms up.
  EXPECT_EQ(DecodeTime(0.4 / kMSecsPerDay).Millisecond, 0);
  EXPECT_EQ(DecodeTime(0.6 / kMSecsPerDay).Millisecond, 1);
  // A time just short of midnight rounds into the next day: 0:00:00.000.
  const TTimeParts midnight = DecodeTime(std::nextafter(1.0, 0.0));
  EXPECT_EQ(midnight.Hour + midnight.Minute + midnight.Second + midnight.Millisecond, 0);
}

TEST(DecodeTime, NegativeValuesShowTheirMagnitude) {
  const TTimeParts t = DecodeTime(-EncodeTime(1, 2, 3, 4));
  EXPECT_EQ(t.Hour, 1);
  EXPECT_EQ(t.Minute, 2);
  EXPECT_EQ(t.Second, 3);
  EXPECT_EQ(t.Millisecond, 4);
}

TEST(DecodeTime, ValuesWithoutATimeOfDayGiveZero) {
  EXPECT_EQ(DecodeTime(std::nan("")).Hour, 0);
  EXPECT_EQ(DecodeTime(INFINITY).Minute, 0);
  EXPECT_EQ(DecodeTime(1e300).Second, 0);
}

TEST(FormatElapsed, HourMinutesSecondsWithTheSeparator) {
  EXPECT_EQ(FormatElapsed(0.0, u':'), u"0h:00m:00s");
  EXPECT_EQ(FormatElapsed(EncodeTime(0, 5, 7, 0), u':'), u"0h:05m:07s");
  EXPECT_EQ(FormatElapsed(EncodeTime(23, 59, 59, 400), u':'), u"23h:59m:59s");
  // Milliseconds are dropped, not rounded into the next second.
  EXPECT_EQ(FormatElapsed(EncodeTime(0, 0, 9, 999), u':'), u"0h:00m:09s");
  // Whole days are dropped: 25 h reads as 1 h.
  EXPECT_EQ(FormatElapsed(1.0 + EncodeTime(0, 0, 5, 0), u':'), u"0h:00m:05s");
  EXPECT_EQ(FormatElapsed(1.0 + EncodeTime(1, 0, 5, 0), u':'), u"1h:00m:05s");
  EXPECT_EQ(FormatElapsed(EncodeTime(10, 2, 3, 0), u'.'), u"10h.02m.03s");
}

TEST(FormatElapsed, DifferencesOfClockReadings) {
  const TDateTime start = EncodeDateTime(2024, 5, 1, 23, 30, 0, 0);
  const TDateTime end = EncodeDateTime(2024, 5, 3, 0, 30, 5, 0);  // 25 h 0 min 5 s later
  EXPECT_EQ(FormatElapsed(end - start, u':'), u"1h:00m:05s");
}

TEST(FormatItemTime, MinutesSecondsMillisecondsWithoutLeadingZeros) {
  EXPECT_EQ(FormatItemTime(0.0), u"0m:0s:0ms");
  EXPECT_EQ(FormatItemTime(EncodeTime(1, 2, 3, 4)), u"2m:3s:4ms");
  EXPECT_EQ(FormatItemTime(EncodeTime(0, 59, 59, 999)), u"59m:59s:999ms");
  EXPECT_EQ(FormatItemTime(EncodeTime(0, 10, 0, 50)), u"10m:0s:50ms");
  // More than a day: the day and the hours go.
  EXPECT_EQ(FormatItemTime(2.0 + EncodeTime(5, 1, 2, 3)), u"1m:2s:3ms");
}

TEST(FormatItemTime, DifferencesOfClockReadings) {
  // Far from the epoch a difference carries rounding noise far below 1 ms.
  const TDateTime start = EncodeDateTime(2031, 7, 9, 12, 0, 0, 0);
  const TDateTime end = EncodeDateTime(2031, 7, 9, 13, 2, 3, 4);
  EXPECT_EQ(FormatItemTime(end - start), u"2m:3s:4ms");
  for (int ms = 0; ms < 1000; ms += 7) {
    const TDateTime later = EncodeDateTime(2031, 7, 9, 12, 0, 1, ms);
    EXPECT_EQ(FormatItemTime(later - start), u"0m:1s:" + IntToStr(ms) + u"ms") << ms;
  }
}
