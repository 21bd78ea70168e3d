#include "setup/DComPermLocation.h"

namespace varnel::setup {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

String Trimmed(const String& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

void Keep(std::vector<String>& folders, const String& entry) {
  String folder = Trimmed(entry);
  if (IsFullFolderPath(folder)) folders.push_back(std::move(folder));
}

String Join(const String& folder, StringView name) {
  String path = folder;
  if (!IsSeparator(path.back())) path += u'\\';
  path += name;
  return path;
}

}  // namespace

bool IsFullFolderPath(StringView folder) {
  if (folder.size() >= 3 && IsDriveLetter(folder[0]) && folder[1] == u':' && IsSeparator(folder[2]))
    return true;
  // "\\server\share", also "\\?\X:\..."; a single leading backslash is the
  // root of whatever drive is current, so relative.
  return folder.size() >= 3 && IsSeparator(folder[0]) && IsSeparator(folder[1]) &&
         !IsSeparator(folder[2]);
}

std::vector<String> PathFolders(StringView pathVariable) {
  std::vector<String> folders;
  String entry;
  bool quoted = false;
  for (const char16_t c : pathVariable) {
    if (c == u'"') {
      quoted = !quoted;
    } else if (c == u';' && !quoted) {
      Keep(folders, entry);
      entry.clear();
    } else {
      entry += c;
    }
  }
  Keep(folders, entry);
  return folders;
}

std::vector<String> DComPermSearchFolders(const String& ownFolder, const String& systemFolder,
                                          StringView pathVariable) {
  std::vector<String> folders;
  Keep(folders, ownFolder);
  Keep(folders, systemFolder);
  for (String& folder : PathFolders(pathVariable)) folders.push_back(std::move(folder));
  return folders;
}

std::optional<String> LocateDComPerm(IProgramFolders& folders) {
  for (const String& folder :
       DComPermSearchFolders(folders.OwnFolder(), folders.SystemFolder(), folders.PathVariable())) {
    String candidate = Join(folder, kDComPermFileName);
    if (folders.FileExists(candidate)) return candidate;
  }
  return std::nullopt;
}

}  // namespace varnel::setup
