#pragma once
// The search for server executables: a folder's own matches first, in the
// order the file system yields them, then each of its subfolders completely
// before the next (depth-first, pre-order). Hidden and system subfolders are
// not entered; hidden and system files are kept. Nothing found is dropped as
// a duplicate. A folder that cannot be read (access denied, gone) does not
// end the search: it is listed with the reason, what it yielded before the
// failure is kept, and every other folder is still searched.

#include <optional>
#include <vector>

#include "platform/FolderEnumerator.h"
#include "runtime/StringList.h"
#include "setup/ExtensionMask.h"

namespace varnel::setup {

// A folder the search could not read.
struct FolderFailure {
  String Folder;  // its full path, without a final backslash (but "D:\")
  String Reason;  // in the program's words, with the system's
};

class FileSearch {
 public:
  FileSearch(IFolderEnumerator& folders, TStringList& found) : folders_(folders), found_(found) {}

  // Appends prefix + name for each match of `mask` in `folder` (and, when
  // `recursive`, in its subfolders). A subfolder that is one of its own
  // ancestors on the path walked (a junction or link leading back up) is
  // skipped, so a loop ends; a folder reached again by another way that is
  // no loop is searched again.
  void BuscarArchivos(const String& folder, const String& mask, bool recursive);

  // The folders the last search could not read, in the order met.
  const std::vector<FolderFailure>& FolderFailures() const noexcept { return failures_; }

 private:
  // A folder on the path from the chosen folder down to the one searched.
  struct Ancestor {
    String prefix;
    std::optional<FolderIdentity> identity;
    bool identityRead = false;
  };

  void Search(Ancestor folder, bool linked);
  std::vector<FolderEntry> ReadFolder(const String& prefix);
  // Enumerates, and lists the folder when that fails; false then.
  bool Enumerate(const String& prefix, const String& mask,
                 const std::function<void(const FolderEntry&)>& visit);
  // Reads the folder's identity into it and looks for it on the path.
  bool IsOwnAncestor(Ancestor& folder);

  IFolderEnumerator& folders_;
  TStringList& found_;
  String mask_;
  std::optional<ExtensionMask> extension_;
  bool recursive_ = false;
  std::vector<Ancestor> path_;
  std::vector<FolderFailure> failures_;
};

}  // namespace varnel::setup
