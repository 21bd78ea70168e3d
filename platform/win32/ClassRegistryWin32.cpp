#include "platform/win32/ClassRegistryWin32.h"

#include <oleauto.h>

#include <bit>

#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"

namespace varnel::win32 {

static_assert(sizeof(GUID) == sizeof(Guid), "same layout as the platform's GUID");

GUID ToGUID(const Guid& id) noexcept { return std::bit_cast<GUID>(id); }

Guid FromGUID(const GUID& id) noexcept { return std::bit_cast<Guid>(id); }

namespace {

// Holds the dispatch interface of a created object; the last owner releases it.
class DispatchServerObject final : public IServerObject {
 public:
  explicit DispatchServerObject(ComPtr<IDispatch> dispatch) : dispatch_(std::move(dispatch)) {}
  void* Dispatch() const noexcept override { return dispatch_.get(); }

 private:
  ComPtr<IDispatch> dispatch_;
};

// The object was asked for as IUnknown; the connection keeps its IDispatch.
HRESULT KeepDispatch(IUnknown* unknown, ServerObject& object) {
  ComPtr<IDispatch> dispatch;
  const HRESULT hr = unknown->QueryInterface(IID_IDispatch, dispatch.put_void());
  if (FAILED(hr)) return hr;
  if (!dispatch) return E_NOINTERFACE;
  object = std::make_shared<DispatchServerObject>(std::move(dispatch));
  return S_OK;
}

}  // namespace

ClassRegistryWin32::ClassRegistryWin32() {
  // ole32 is linked in, so the module is loaded for the life of the process.
  if (HMODULE ole32 = ::GetModuleHandleW(L"ole32.dll")) {
    if (FARPROC proc = ::GetProcAddress(ole32, "CoCreateInstanceEx")) {
      // Through void(*)(), which converts to any function type without warnings.
      coCreateInstanceEx_ =
          reinterpret_cast<CoCreateInstanceExFn>(reinterpret_cast<void (*)()>(proc));
    }
  }
}

std::int32_t ClassRegistryWin32::CLSIDFromProgID(const String& progID, Guid& clsid) {
  const String copy = progID;  // NUL-terminated copy for the call
  GUID id = ToGUID(clsid);
  const HRESULT hr = ::CLSIDFromProgID(W(copy), &id);
  clsid = FromGUID(id);
  return hr;
}

std::int32_t ClassRegistryWin32::ProgIDFromCLSID(const Guid& clsid, String& progID) {
  UniqueCoTaskString text;
  const GUID id = ToGUID(clsid);
  const HRESULT hr = ::ProgIDFromCLSID(id, text.put());
  if (hr == S_OK) progID = FromW(text.get());
  return hr;
}

std::int32_t ClassRegistryWin32::StringFromCLSID(const Guid& clsid, String& text) {
  UniqueCoTaskString buffer;
  const GUID id = ToGUID(clsid);
  const HRESULT hr = ::StringFromCLSID(id, buffer.put());
  if (SUCCEEDED(hr)) text = FromW(buffer.get());
  return hr;
}

std::int32_t ClassRegistryWin32::CLSIDFromString(const String& text, Guid& clsid) {
  GUID id = ToGUID(clsid);
  const HRESULT hr = ::CLSIDFromString(W(text), &id);
  if (SUCCEEDED(hr)) clsid = FromGUID(id);
  return hr;
}

String ClassRegistryWin32::ErrorText(std::int32_t code) { return MakeOleError(code).Message(); }

std::int32_t ClassRegistryWin32::CreateInstance(const Guid& clsid, std::uint32_t context,
                                                ServerObject& object) {
  ComPtr<IUnknown> unknown;
  const GUID id = ToGUID(clsid);
  const HRESULT hr = ::CoCreateInstance(id, nullptr, context, IID_IUnknown, unknown.put_void());
  if (FAILED(hr)) return hr;
  return KeepDispatch(unknown.get(), object);
}

std::int32_t ClassRegistryWin32::CreateInstanceEx(const Guid& clsid, const String& computer,
                                                  std::uint32_t context, ServerObject& object) {
  if (!coCreateInstanceEx_) return E_NOTIMPL;
  String name = computer;
  COSERVERINFO server{};
  server.pwszName = const_cast<wchar_t*>(W(name));
  MULTI_QI query{&IID_IUnknown, nullptr, S_OK};
  const GUID id = ToGUID(clsid);
  const HRESULT hr = coCreateInstanceEx_(id, nullptr, context, &server, 1, &query);
  ComPtr<IUnknown> unknown;
  unknown.reset(query.pItf);  // owned from here on, whatever the results say
  if (FAILED(hr)) return hr;
  if (FAILED(query.hr)) return query.hr;
  return KeepDispatch(unknown.get(), object);
}

String ClassRegistryWin32::LocalComputerName() {
  wchar_t buffer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = static_cast<DWORD>(std::size(buffer));
  if (!::GetComputerNameW(buffer, &size)) RaiseLastOSError();
  return FromW(buffer, size);
}

}  // namespace varnel::win32
