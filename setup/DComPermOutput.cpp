#include "setup/DComPermOutput.h"

#include <vector>

namespace varnel::setup {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

StringView Trimmed(StringView text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::vector<StringView> Lines(StringView text) {
  std::vector<StringView> lines;
  std::size_t start = 0;
  for (std::size_t at = 0; at <= text.size(); ++at) {
    if (at < text.size() && text[at] != u'\r' && text[at] != u'\n') continue;
    lines.push_back(Trimmed(text.substr(start, at - start)));
    if (at + 1 < text.size() && text[at] == u'\r' && text[at + 1] == u'\n') ++at;
    start = at + 1;
  }
  return lines;
}

bool IsErrorLine(StringView line) {
  constexpr StringView kError = u"ERROR:";
  if (line.size() < kError.size()) return false;
  for (std::size_t i = 0; i < kError.size(); ++i) {
    char16_t c = line[i];
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - (u'a' - u'A'));
    if (c != kError[i]) return false;
  }
  return true;
}

}  // namespace

String DComPermFailure(StringView output) {
  const std::vector<StringView> lines = Lines(output);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!IsErrorLine(lines[i])) continue;
    String failure(lines[i]);
    for (std::size_t next = i + 1; next < lines.size(); ++next) {
      if (lines[next].empty()) continue;
      if (!IsErrorLine(lines[next])) {
        failure += u' ';
        failure += lines[next];
      }
      break;
    }
    return failure;
  }
  return String();
}

}  // namespace varnel::setup
