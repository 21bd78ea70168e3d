#pragma once
// IAppIdRegistry over the machine's registry. The class keys are read in
// the view asked for through KEY_WOW64_32KEY / KEY_WOW64_64KEY, never by a
// written path, so a 32-bit build of the program reads the same keys.

#include "platform/AppIdRegistry.h"

namespace varnel::win32 {

class AppIdRegistryWin32 final : public IAppIdRegistry {
 public:
  using IAppIdRegistry::ReadClassAppId;

  // Errors other than a missing key or value raise EOSError.
  RunAsValue ReadRunAs(const String& keyName) override;
  std::optional<String> ReadClassAppId(const String& clsidKeyName, RegistryView view) override;
  std::optional<String> ReadLocalServer32(const String& clsidKeyName, RegistryView view) override;
  bool CanWriteIdentities() override;
};

}  // namespace varnel::win32
