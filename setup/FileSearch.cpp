#include "setup/FileSearch.h"

#include <algorithm>

namespace varnel::setup {

bool FileSearch::FirstVisit(const String& folder) {
  const std::optional<FolderIdentity> identity = folders_.Identity(folder);
  // A folder without an identity cannot be told apart; its enumeration
  // finds nothing anyway when it cannot be opened.
  if (!identity) return true;
  if (std::find(visited_.begin(), visited_.end(), *identity) != visited_.end()) return false;
  visited_.push_back(*identity);
  return true;
}

void FileSearch::BuscarArchivos(const String& folder, const String& mask, bool recursive) {
  const String prefix = (!folder.empty() && folder.back() == u'\\') ? folder : folder + u'\\';
  if (recursive && !FirstVisit(prefix)) return;

  folders_.Enumerate(prefix + mask, [&](const FolderEntry& entry) {
    if ((entry.Attributes & kAttributeDirectory) == 0) found_.Add(prefix + entry.Name);
  });
  if (!recursive) return;

  // Subfolders are walked as they are met, before the enumeration moves on.
  folders_.Enumerate(prefix + u"*.*", [&](const FolderEntry& entry) {
    if (entry.Attributes & (kAttributeHidden | kAttributeSystem)) return;
    if ((entry.Attributes & kAttributeDirectory) == 0) return;
    if (entry.Name == u"." || entry.Name == u"..") return;
    BuscarArchivos(prefix + entry.Name, mask, true);
  });
}

}  // namespace varnel::setup
