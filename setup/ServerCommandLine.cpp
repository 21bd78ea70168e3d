#include "setup/ServerCommandLine.h"

namespace varnel::setup {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

char16_t LowerAscii(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

bool EndsWithExe(StringView text) {
  constexpr StringView kExe = u".exe";
  if (text.size() < kExe.size()) return false;
  const StringView tail = text.substr(text.size() - kExe.size());
  for (std::size_t i = 0; i < kExe.size(); ++i)
    if (LowerAscii(tail[i]) != kExe[i]) return false;
  return true;
}

StringView Trimmed(StringView text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

String ExecutableOfCommandLine(StringView commandLine) {
  const StringView text = Trimmed(commandLine);
  if (!text.empty() && text.front() == u'"') {
    const std::size_t close = text.find(u'"', 1);
    return String(
        Trimmed(text.substr(1, close == StringView::npos ? StringView::npos : close - 1)));
  }
  // Each blank that ends a word is a place where the executable may end.
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (IsBlank(text[at]) && EndsWithExe(text.substr(0, at))) return String(text.substr(0, at));
  }
  return String(text);
}

bool SameExecutable(IPathNames& names, StringView registeredCommandLine, const String& serverPath) {
  const String registered = ExecutableOfCommandLine(registeredCommandLine);
  if (registered.empty() || serverPath.empty()) return false;
  return names.SameIgnoringCase(names.LongFullPath(registered), names.LongFullPath(serverPath));
}

}  // namespace varnel::setup
