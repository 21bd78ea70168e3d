#pragma once
// The folders a program may be taken from without asking the current
// folder: the running program's own, the system folder, the PATH; and
// whether a file is there.

#include "runtime/String.h"

namespace varnel {

class IProgramFolders {
 public:
  virtual ~IProgramFolders() = default;
  // The folder of the running executable, without a final backslash.
  virtual String OwnFolder() = 0;
  // The system folder (GetSystemDirectoryW): System32 for a 64-bit program.
  virtual String SystemFolder() = 0;
  // The PATH environment variable as it is; empty when it is not set.
  virtual String PathVariable() = 0;
  // Whether `path` is an existing file (a folder is not).
  virtual bool FileExists(const String& path) = 0;
};

}  // namespace varnel
