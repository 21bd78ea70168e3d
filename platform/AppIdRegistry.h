#pragma once
// Reading back the launch identity DCOM keeps for one application: the RunAs
// value of HKLM\SOFTWARE\Classes\AppID\<key name>, and the AppID a class
// names for itself.

#include <optional>

#include "runtime/String.h"

namespace varnel {

struct RunAsValue {
  bool KeyExists = false;     // the AppID key is there
  bool ValuePresent = false;  // it holds a RunAs value
  String Text;                // that value's text when it is a string, else empty
};

class IAppIdRegistry {
 public:
  virtual ~IAppIdRegistry() = default;
  // `keyName` is the braced identifier, a single key name.
  virtual RunAsValue ReadRunAs(const String& keyName) = 0;
  // The "AppID" string value of HKLM\SOFTWARE\Classes\CLSID\<clsidKeyName>
  // (the braced class identifier); nullopt when the key or the value is not
  // there, or the value is not text.
  virtual std::optional<String> ReadClassAppId(const String& clsidKeyName) = 0;
};

}  // namespace varnel
