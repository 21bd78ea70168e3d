#include <gtest/gtest.h>

#include <vector>

#include "fuzz/SplitArguments.h"
#include "runtime/String.h"
#include "setup/CommandLine.h"

using namespace varnel;
using namespace varnel::setup;

// The same reader the fuzz target checks the quoting against.
using fuzz::SplitArguments;

TEST(SplitArguments, FollowsTheRuntimeRules) {
  // The parser itself, on lines written by hand, so the round trip below
  // proves something.
  using V = std::vector<String>;
  EXPECT_EQ(SplitArguments(u"a b\tc"), (V{u"a", u"b", u"c"}));
  EXPECT_EQ(SplitArguments(u"\"a b\" c"), (V{u"a b", u"c"}));
  EXPECT_EQ(SplitArguments(u"a\\\\b \\\"x"), (V{u"a\\\\b", u"\"x"}));
  EXPECT_EQ(SplitArguments(u"\"a\\\\\" b"), (V{u"a\\", u"b"}));
  EXPECT_EQ(SplitArguments(u"\"\" x"), (V{u"", u"x"}));
  EXPECT_EQ(SplitArguments(u"a\"b c\"d"), (V{u"ab cd"}));
  EXPECT_EQ(SplitArguments(u"  "), V{});
}

TEST(QuoteArgument, PlainTextPassesByteForByte) {
  for (const String text : {u"usuario", u"DOMINIO\\usuario", u"a\\\\b\\", u"contraseña€",
                            u"p@ss'w%rd!^&|<>", u"\\\\servidor\\share"}) {
    EXPECT_FALSE(ArgumentNeedsQuoting(text)) << ToUtf8(text);
    EXPECT_EQ(QuoteArgument(text), text);
  }
}

TEST(QuoteArgument, QuotesOnlyWhatWouldSplitOrVanish) {
  EXPECT_TRUE(ArgumentNeedsQuoting(u""));
  EXPECT_TRUE(ArgumentNeedsQuoting(u"a b"));
  EXPECT_TRUE(ArgumentNeedsQuoting(u"a\tb"));
  EXPECT_TRUE(ArgumentNeedsQuoting(u"a\nb"));
  EXPECT_TRUE(ArgumentNeedsQuoting(u"a\"b"));
  EXPECT_EQ(QuoteArgument(u""), u"\"\"");
  EXPECT_EQ(QuoteArgument(u"Juan Pérez"), u"\"Juan Pérez\"");
  EXPECT_EQ(QuoteArgument(u"a\"b"), u"\"a\\\"b\"");
  // Backslashes double only before a quote or the closing quote.
  EXPECT_EQ(QuoteArgument(u"C:\\dir x\\"), u"\"C:\\dir x\\\\\"");
  EXPECT_EQ(QuoteArgument(u"a\\\"b c"), u"\"a\\\\\\\"b c\"");
  EXPECT_EQ(QuoteArgument(u"a\\b c"), u"\"a\\b c\"");
}

TEST(QuoteArgument, RoundTripsThroughTheRuntimeSplitter) {
  // clang-format off
  const std::vector<String> cases = {
      // empty and blanks
      u"", u" ", u"  ", u"\t", u"a b", u" lead", u"trail ", u"a\tb", u"line\nnext",
      // quotes
      u"\"", u"\"\"", u"say \"hi\"",
      // backslashes: alone, trailing, before quotes
      u"\\", u"\\\\", u"end\\", u"end\\\\", u"x \\", u"\\\"", u"\\\\\"", u"a\\\\\"b c",
      u"\"x\\\\\"", u"C:\\Archivos de programa\\",
      // beyond ASCII
      u"ñandú José", u"контраль 密码", u"\U0001F511 k"};
  // clang-format on
  for (const String& text : cases) {
    // Alone, and between other words, as it stands on a real command line.
    EXPECT_EQ(SplitArguments(QuoteArgument(text)), std::vector<String>{text}) << ToUtf8(text);
    const String line = u" -runas {X} " + QuoteArgument(text) + u" " + QuoteArgument(text);
    EXPECT_EQ(SplitArguments(line), (std::vector<String>{u"-runas", u"{X}", text, text}))
        << ToUtf8(line);
  }
}

TEST(QuoteArgument, PlainWordsRoundTripUnquoted) {
  for (const String text : {u"usuario", u"a\\b", u"trail\\", u"ü"}) {
    EXPECT_EQ(SplitArguments(u"x " + QuoteArgument(text)), (std::vector<String>{u"x", text}));
  }
}
