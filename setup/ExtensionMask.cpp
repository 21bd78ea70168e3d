#include "setup/ExtensionMask.h"

namespace varnel::setup {

namespace {

char16_t AsciiUpper(char16_t c) { return (c >= u'a' && c <= u'z') ? c - (u'a' - u'A') : c; }

bool PlainExtensionCharacter(char16_t c) {
  const char16_t upper = AsciiUpper(c);
  if (upper == u'I' || upper == u'S') return false;
  return (upper >= u'A' && upper <= u'Z') || (c >= u'0' && c <= u'9');
}

}  // namespace

std::optional<ExtensionMask> ExtensionMask::From(StringView mask) {
  if (mask.size() < 3 || mask[0] != u'*' || mask[1] != u'.') return std::nullopt;
  String dotted = u".";
  for (const char16_t c : mask.substr(2)) {
    if (!PlainExtensionCharacter(c)) return std::nullopt;
    dotted += AsciiUpper(c);
  }
  return ExtensionMask(std::move(dotted));
}

bool ExtensionMask::NameMatches(StringView name) const {
  // The extension holds no dot, so "ends in the dot and the extension" is
  // "the last dot is followed by exactly the extension".
  if (name.size() < dotted_.size()) return false;
  const StringView tail = name.substr(name.size() - dotted_.size());
  for (std::size_t i = 0; i < tail.size(); ++i)
    if (AsciiUpper(tail[i]) != dotted_[i]) return false;
  return true;
}

bool ExtensionMask::Matches(StringView longName, StringView shortName) const {
  return NameMatches(longName) || (!shortName.empty() && NameMatches(shortName));
}

}  // namespace varnel::setup
