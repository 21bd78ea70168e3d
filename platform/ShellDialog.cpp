#include "platform/ShellDialog.h"

namespace varnel {

bool FolderMissingForError(std::uint32_t errorCode) {
  switch (errorCode) {
    case 2:    // ERROR_FILE_NOT_FOUND
    case 3:    // ERROR_PATH_NOT_FOUND
    case 21:   // ERROR_NOT_READY
    case 53:   // ERROR_BAD_NETPATH
    case 123:  // ERROR_INVALID_NAME
      return true;
    default:
      return false;
  }
}

}  // namespace varnel
