#pragma once
// The search for server executables: a folder's own matches first, in the
// order the file system yields them, then each of its subfolders completely
// before the next (depth-first, pre-order). Hidden and system subfolders are
// not entered; hidden and system files are kept.

#include <vector>

#include "platform/FolderEnumerator.h"
#include "runtime/StringList.h"

namespace varnel::setup {

class FileSearch {
 public:
  FileSearch(IFolderEnumerator& folders, TStringList& found) : folders_(folders), found_(found) {}

  // Appends prefix + name for each match of `mask` in `folder` (and, when
  // `recursive`, in its subfolders). A folder reached twice, through a
  // junction or a link, is searched only the first time, so a loop can
  // neither hang the search nor exhaust the stack.
  void BuscarArchivos(const String& folder, const String& mask, bool recursive);

 private:
  bool FirstVisit(const String& folder);

  IFolderEnumerator& folders_;
  TStringList& found_;
  std::vector<FolderIdentity> visited_;
};

}  // namespace varnel::setup
