#pragma once
// IProgramFolders of the running process.

#include "platform/ProgramFolders.h"

namespace varnel::win32 {

class ProgramFoldersWin32 final : public IProgramFolders {
 public:
  String OwnFolder() override;
  String SystemFolder() override;
  String PathVariable() override;
  bool FileExists(const String& path) override;
};

}  // namespace varnel::win32
