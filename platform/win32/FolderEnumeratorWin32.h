#pragma once

#include "platform/FolderEnumerator.h"

namespace varnel::win32 {

class FolderEnumeratorWin32 final : public IFolderEnumerator {
 public:
  std::optional<FolderReadFailure> Enumerate(
      const String& pattern, const std::function<void(const FolderEntry&)>& visit) override;
  std::optional<FolderIdentity> Identity(const String& folder) override;
};

}  // namespace varnel::win32
