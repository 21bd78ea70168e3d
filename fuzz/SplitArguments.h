#pragma once
// A portable reading of a command-line tail by the rules the C runtime and
// CommandLineToArgvW share: blanks and tabs separate words outside quotes;
// 2n backslashes before a quote give n and the quote toggles quoting; 2n+1
// give n and a literal quote; backslashes elsewhere are literal; inside
// quotes a doubled quote gives one literal quote. (The last rule is where
// the two readers of old differ; a correctly quoted argument never relies
// on it, so the round trip holds for both.)

#include <vector>

#include "runtime/String.h"

namespace varnel::fuzz {

inline std::vector<String> SplitArguments(StringView line) {
  std::vector<String> words;
  std::size_t i = 0;
  const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  for (;;) {
    while (i < line.size() && blank(line[i])) ++i;
    if (i == line.size()) return words;
    String word;
    bool quoted = false;
    while (i < line.size() && (quoted || !blank(line[i]))) {
      std::size_t backslashes = 0;
      while (i < line.size() && line[i] == u'\\') {
        ++backslashes;
        ++i;
      }
      if (i < line.size() && line[i] == u'"') {
        word.append(backslashes / 2, u'\\');
        if (backslashes % 2 == 1) {
          word += u'"';
        } else if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
          word += u'"';
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
      } else {
        word.append(backslashes, u'\\');
        if (i < line.size() && (quoted || !blank(line[i]))) word += line[i++];
      }
    }
    words.push_back(std::move(word));
  }
}

}  // namespace varnel::fuzz
