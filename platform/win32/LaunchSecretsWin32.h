#pragma once
// ILaunchSecrets over the local security authority's private data.

#include "platform/LaunchSecrets.h"

namespace varnel::win32 {

class LaunchSecretsWin32 final : public ILaunchSecrets {
 public:
  // Reads the secret "SCM:" + key name; raises nothing.
  std::optional<String> StoredPassword(const String& appIdKeyName) override;
};

}  // namespace varnel::win32
