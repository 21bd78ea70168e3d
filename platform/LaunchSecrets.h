#pragma once
// The password DCOM keeps for an application that runs as a named account:
// the system stores it as a private secret beside the AppID's RunAs value,
// and /restore compares it with the one it is given before setting that
// account back.

#include <optional>

#include "runtime/String.h"

namespace varnel {

class ILaunchSecrets {
 public:
  virtual ~ILaunchSecrets() = default;
  // `appIdKeyName` is the braced identifier. nullopt when the password
  // cannot be read: there is none, reading it is denied (it takes an
  // administrator), or the system does not keep such secrets.
  virtual std::optional<String> StoredPassword(const String& appIdKeyName) = 0;
};

}  // namespace varnel
