#pragma once
// The class registry of the running system, through ole32. COM must be
// initialized on the calling thread. CoCreateInstanceEx is looked up in
// ole32.dll when the registry is made, because a system may lack it.

#include <objbase.h>
#include <windows.h>

#include "platform/ClassRegistry.h"

namespace varnel::win32 {

class ClassRegistryWin32 final : public IClassRegistry {
 public:
  ClassRegistryWin32();

  std::int32_t CLSIDFromProgID(const String& progID, Guid& clsid) override;
  std::int32_t ProgIDFromCLSID(const Guid& clsid, String& progID) override;
  std::int32_t StringFromCLSID(const Guid& clsid, String& text) override;
  std::int32_t CLSIDFromString(const String& text, Guid& clsid) override;
  String ErrorText(std::int32_t code) override;
  std::int32_t CreateInstance(const Guid& clsid, std::uint32_t context,
                              ServerObject& object) override;
  bool HasCreateInstanceEx() const override { return coCreateInstanceEx_ != nullptr; }
  std::int32_t CreateInstanceEx(const Guid& clsid, const String& computer, std::uint32_t context,
                                ServerObject& object) override;
  String LocalComputerName() override;

 private:
  using CoCreateInstanceExFn = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, COSERVERINFO*, DWORD,
                                                MULTI_QI*);
  CoCreateInstanceExFn coCreateInstanceEx_ = nullptr;
};

// The platform's GUID and ours have the same layout; these copy between them.
GUID ToGUID(const Guid& id) noexcept;
Guid FromGUID(const GUID& id) noexcept;

}  // namespace varnel::win32
