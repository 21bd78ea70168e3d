#include <gtest/gtest.h>

#include "runtime/Exceptions.h"
#include "runtime/String.h"
#include "runtime/StringList.h"

using namespace varnel;

TEST(OSErrorMessage, FormatsCodeAndStripsTrailingBlanksAndPeriods) {
  EXPECT_EQ(OSErrorMessage(2, u"The system cannot find the file specified.\r\n"),
            u"System Error.  Code: 2.\r\nThe system cannot find the file specified");
  EXPECT_EQ(OSErrorMessage(5, u"Access denied. . \t"), u"System Error.  Code: 5.\r\nAccess denied");
  // Periods inside the text stay; only the tail is cut.
  EXPECT_EQ(OSErrorMessage(1, u"a.b"), u"System Error.  Code: 1.\r\na.b");
}

TEST(OSErrorMessage, CodeZeroHasItsOwnText) {
  EXPECT_EQ(OSErrorMessage(0, u"ignored"), u"A call to an OS function failed");
}

TEST(OSErrorMessage, LargeCodesPrintAsSignedDecimal) {
  EXPECT_EQ(OSErrorMessage(0x80070005u, u""), u"System Error.  Code: -2147024891.\r\n");
}

TEST(PresentableMessage, AppendsPeriodOnlyAboveTheCodeOfPeriod) {
  EXPECT_EQ(PresentableMessage(u"Debe digitar un Usuario."), u"Debe digitar un Usuario.");
  EXPECT_EQ(PresentableMessage(u"Falta"), u"Falta.");
  EXPECT_EQ(PresentableMessage(u"Code 7"), u"Code 7.");
  EXPECT_EQ(PresentableMessage(u"Alto!"), u"Alto!");
  EXPECT_EQ(PresentableMessage(u"(nada)"), u"(nada)");
  EXPECT_EQ(PresentableMessage(u"fin "), u"fin ");
  EXPECT_EQ(PresentableMessage(u"a-"), u"a-");   // 0x2D, below "."
  EXPECT_EQ(PresentableMessage(u"a/"), u"a/.");  // 0x2F, above "."
  EXPECT_EQ(PresentableMessage(u""), u"");
}

TEST(Utf8, RoundTripsAllPlanes) {
  const String text = u"Configuración ñ 漢字 \U0001F600";
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  EXPECT_EQ(ToUtf8(u"Versión"), "Versi\xC3\xB3n");
}

TEST(Utf8, BrokenInputBecomesReplacementCharacters) {
  EXPECT_EQ(FromUtf8("a\xFF"), u"a\uFFFD");
  EXPECT_EQ(FromUtf8("\xE2\x82"), u"\uFFFD");  // truncated sequence
  EXPECT_EQ(ToUtf8(String(1, char16_t{0xD800})), "\xEF\xBF\xBD");
}

TEST(IntFormatting, DecimalAndHex) {
  EXPECT_EQ(IntToStr(0), u"0");
  EXPECT_EQ(IntToStr(-2147483648LL), u"-2147483648");
  EXPECT_EQ(IntToHex(0x240A, 4), u"240A");
  EXPECT_EQ(IntToHex(0x4E4, 4), u"04E4");
  EXPECT_EQ(IntToHex(0x12345, 4), u"12345");
}

TEST(TStringList, KeepsOrderAndDuplicates) {
  TStringList list;
  list.Add(u"b");
  list.Add(u"a");
  list.Add(u"b");
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list[0], u"b");
  EXPECT_EQ(list[1], u"a");
  EXPECT_EQ(list[2], u"b");
}
