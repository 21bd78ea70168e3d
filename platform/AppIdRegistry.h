#pragma once
// Reading back the launch identity DCOM keeps for one application: the RunAs
// value of HKLM\SOFTWARE\Classes\AppID\<key name>, what a class key says
// about its server, and whether identities can be written at all.

#include <optional>

#include "platform/RegistryView.h"
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
  // `keyName` is the braced identifier, a single key name. The AppID keys
  // are shared by both views.
  virtual RunAsValue ReadRunAs(const String& keyName) = 0;
  // The "AppID" string value of HKLM\SOFTWARE\Classes\CLSID\<clsidKeyName>
  // (the braced class identifier) in `view`; nullopt when the key or the
  // value is not there, or the value is not text.
  virtual std::optional<String> ReadClassAppId(const String& clsidKeyName, RegistryView view) = 0;
  // The default value of CLSID\<clsidKeyName>\LocalServer32 in `view`, the
  // server's command line, with environment references of an expandable
  // value expanded; nullopt when the key or the value is not there, or the
  // value is not text.
  virtual std::optional<String> ReadLocalServer32(const String& clsidKeyName,
                                                  RegistryView view) = 0;
  // Whether HKLM\SOFTWARE\Classes\AppID opens for setting values and making
  // keys: false when access is denied (no administrator rights), EOSError
  // for any other failure.
  virtual bool CanWriteIdentities() = 0;

  // The 64-bit view's AppID value. To be removed once every caller names
  // the view of its server.
  std::optional<String> ReadClassAppId(const String& clsidKeyName) {
    return ReadClassAppId(clsidKeyName, RegistryView::Bits64);
  }
};

}  // namespace varnel
