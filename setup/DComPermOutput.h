#pragma once
// What DComPerm says when it fails. The tool exits with 0 whatever happens;
// a failure shows only in what it prints, as a line starting with "ERROR:"
// and, on a line of its own after it, the system's message for the cause:
//   ERROR: Cannot set RunAs password.
//   The user name or password is incorrect.

#include "runtime/String.h"

namespace varnel::setup {

// The first line that starts with "ERROR:" (blanks before it and letter
// case aside), joined by one blank to the next line that is not blank
// unless that is another "ERROR:" line; both trimmed. Empty when no line
// starts so. Lines end with "\r\n", "\n" or "\r".
String DComPermFailure(StringView output);

}  // namespace varnel::setup
