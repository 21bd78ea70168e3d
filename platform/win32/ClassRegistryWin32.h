#pragma once
// The class registry of the running system, through ole32. COM must be
// initialized on the calling thread. CoCreateInstanceEx is looked up in
// ole32.dll when the registry is made, because a system may lack it.

#include <objbase.h>
#include <windows.h>

#include "platform/ClassRegistry.h"
#include "platform/win32/Unique.h"

namespace varnel::win32 {

class ClassRegistryWin32 final : public IClassRegistry {
 public:
  ClassRegistryWin32();

  Guid ClassOf(const String& progID) override;
  std::optional<String> NameOf(const Guid& clsid) override;
  String TextOf(const Guid& clsid) override;
  Guid ClassOfText(const String& text) override;
  ServerObject Create(const Guid& clsid, const String& computer, std::uint32_t context) override;
  bool RemoteAvailable() const override { return coCreateInstanceEx_ != nullptr; }
  String LocalComputerName() override;

 private:
  using CoCreateInstanceExFn = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, COSERVERINFO*, DWORD,
                                                MULTI_QI*);
  CoCreateInstanceExFn coCreateInstanceEx_ = nullptr;
};

// A server object made by ClassRegistryWin32: its dispatch interface.
class DispatchServerObject final : public IServerObject {
 public:
  explicit DispatchServerObject(ComPtr<IDispatch> dispatch) : dispatch_(std::move(dispatch)) {}
  IDispatch* Dispatch() const noexcept { return dispatch_.get(); }

 private:
  ComPtr<IDispatch> dispatch_;
};

// The platform's GUID and ours have the same layout; these copy between them.
GUID ToGUID(const Guid& id) noexcept;
Guid FromGUID(const GUID& id) noexcept;

}  // namespace varnel::win32
