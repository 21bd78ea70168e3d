#pragma once
// Composing command-line tails so that a started program reads back exactly
// the text we meant as one argument. Windows hands a program one string; the
// C runtime and CommandLineToArgvW split it with the same rules: blanks and
// tabs separate, double quotes group, a backslash escapes only before a quote.

#include "runtime/String.h"

namespace varnel::setup {

// True when `argument` would not come back as itself when passed bare:
// it is empty, or holds a blank, a tab, a newline or a double quote.
bool ArgumentNeedsQuoting(StringView argument);

// `argument` as one command-line word: unchanged when it needs no quoting,
// otherwise in double quotes with every quote written \" and the backslashes
// that precede a quote (or the closing quote) doubled; other backslashes stay
// single.
String QuoteArgument(StringView argument);

}  // namespace varnel::setup
