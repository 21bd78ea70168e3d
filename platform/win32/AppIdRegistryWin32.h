#pragma once
// IAppIdRegistry over the machine's registry.

#include "platform/AppIdRegistry.h"

namespace varnel::win32 {

class AppIdRegistryWin32 final : public IAppIdRegistry {
 public:
  // Errors other than a missing key or value raise EOSError.
  RunAsValue ReadRunAs(const String& keyName) override;
  std::optional<String> ReadClassAppId(const String& clsidKeyName) override;
};

}  // namespace varnel::win32
