#include "setup/CommandLine.h"

namespace varnel::setup {

bool ArgumentNeedsQuoting(StringView argument) {
  return argument.empty() || argument.find_first_of(u" \t\n\"") != StringView::npos;
}

String QuoteArgument(StringView argument) {
  if (!ArgumentNeedsQuoting(argument)) return String(argument);
  String out;
  out.reserve(argument.size() + 2);
  out += u'"';
  std::size_t backslashes = 0;
  for (const char16_t c : argument) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    if (c == u'"') {
      // 2n backslashes read back as n, and one more turns the quote literal.
      out.append(backslashes * 2 + 1, u'\\');
    } else {
      out.append(backslashes, u'\\');
    }
    backslashes = 0;
    out += c;
  }
  // The closing quote must not be escaped by the argument's own backslashes.
  out.append(backslashes * 2, u'\\');
  out += u'"';
  return out;
}

}  // namespace varnel::setup
