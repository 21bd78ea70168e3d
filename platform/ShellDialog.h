#pragma once
// The shell's open dialog, used to pick a folder or one file.

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "runtime/String.h"

namespace varnel {

struct OpenDialogRequest {
  String Title;
  String StartFolder;                                // empty: the shell chooses
  std::vector<std::pair<String, String>> FileTypes;  // display name, mask
  unsigned FileTypeIndex = 0;                        // 1-based; 0 = not set
  std::uint32_t Options = 0;                         // FOS_* flags; replace the dialog's defaults
};

class IShellDialog {
 public:
  virtual ~IShellDialog() = default;
  // The chosen item's file-system path, or its display name when it has
  // none; nothing when the user cancelled or no name could be read.
  virtual std::optional<String> Show(const OpenDialogRequest& request) = 0;
  // Whether `path` counts as an existing folder for the dialog's start.
  virtual bool FolderExists(const String& path) = 0;
};

// The folder test's rule for a path whose attributes cannot be read: these
// errors mean the folder is missing, any other one that it exists.
bool FolderMissingForError(std::uint32_t errorCode);

}  // namespace varnel
