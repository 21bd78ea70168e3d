#include "setup/FileSearch.h"

namespace varnel::setup {

namespace {

bool IsSearchedSubfolder(const FolderEntry& entry) {
  if ((entry.Attributes & kAttributeDirectory) == 0) return false;
  if (entry.Attributes & (kAttributeHidden | kAttributeSystem)) return false;
  return entry.Name != u"." && entry.Name != u"..";
}

// "C:\S\sub\" -> "C:\S\sub"; a drive's root keeps its backslash.
String FolderOf(const String& prefix) {
  if (prefix.size() <= 3 || prefix.back() != u'\\') return prefix;
  return prefix.substr(0, prefix.size() - 1);
}

String ReasonFor(const FolderReadFailure& failure) {
  const String text = TrimRightControlAndPeriods(failure.SystemText, true);
  return u"No se pudo leer la carpeta (" + (text.empty() ? String() : text + u", ") + u"error " +
         IntToStr(failure.Code) + u").";
}

}  // namespace

void FileSearch::BuscarArchivos(const String& folder, const String& mask, bool recursive) {
  mask_ = mask;
  extension_ = ExtensionMask::From(mask);
  recursive_ = recursive;
  path_.clear();
  failures_.clear();
  Search(Ancestor{(!folder.empty() && folder.back() == u'\\') ? folder : folder + u'\\', {}, false},
         false);
}

// Appends the folder's matches and returns its subfolders, both in the
// order the file system yields them: one enumeration of everything when the
// search can match the mask itself, else the platform's own lookup of the
// mask and, for a recursive search, a second one of everything.
std::vector<FolderEntry> FileSearch::ReadFolder(const String& prefix) {
  std::vector<FolderEntry> subfolders;
  if (extension_) {
    Enumerate(prefix, u"*", [&](const FolderEntry& entry) {
      if (entry.Attributes & kAttributeDirectory) {
        if (recursive_ && IsSearchedSubfolder(entry)) subfolders.push_back(entry);
      } else if (extension_->Matches(entry.Name, entry.ShortName)) {
        found_.Add(prefix + entry.Name);
      }
    });
    return subfolders;
  }
  const bool read = Enumerate(prefix, mask_, [&](const FolderEntry& entry) {
    if ((entry.Attributes & kAttributeDirectory) == 0) found_.Add(prefix + entry.Name);
  });
  // A folder that failed once is listed once: its subfolders are not asked for.
  if (read && recursive_) {
    Enumerate(prefix, u"*", [&](const FolderEntry& entry) {
      if (IsSearchedSubfolder(entry)) subfolders.push_back(entry);
    });
  }
  return subfolders;
}

bool FileSearch::Enumerate(const String& prefix, const String& mask,
                           const std::function<void(const FolderEntry&)>& visit) {
  const std::optional<FolderReadFailure> failure = folders_.Enumerate(prefix + mask, visit);
  if (!failure) return true;
  failures_.push_back(FolderFailure{FolderOf(prefix), ReasonFor(*failure)});
  return false;
}

// `linked`: a junction, link or mounted volume lies on the path from the
// chosen folder to this one. Without one every step went down the volume's
// own tree, where no folder lies below itself, so only then can this folder
// be one of its ancestors, and only then are identities read (each costs
// the file system a look-up of its own).
void FileSearch::Search(Ancestor folder, bool linked) {
  const String prefix = folder.prefix;
  const std::vector<FolderEntry> subfolders = ReadFolder(prefix);
  if (subfolders.empty()) return;
  path_.push_back(std::move(folder));
  for (const FolderEntry& entry : subfolders) {
    Ancestor child{prefix + entry.Name + u'\\', {}, false};
    const bool childLinked = linked || (entry.Attributes & kAttributeReparsePoint) != 0;
    if (childLinked && IsOwnAncestor(child)) continue;
    Search(std::move(child), childLinked);
  }
  path_.pop_back();
}

bool FileSearch::IsOwnAncestor(Ancestor& folder) {
  folder.identity = folders_.Identity(folder.prefix);
  folder.identityRead = true;
  // A folder without an identity cannot be told apart; it is searched.
  if (!folder.identity) return false;
  for (Ancestor& ancestor : path_) {
    if (!ancestor.identityRead) {
      ancestor.identity = folders_.Identity(ancestor.prefix);
      ancestor.identityRead = true;
    }
    if (ancestor.identity == folder.identity) return true;
  }
  return false;
}

}  // namespace varnel::setup
