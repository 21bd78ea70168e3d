#include "platform/win32/ClassRegistryWin32.h"

#include <oleauto.h>

#include <bit>

#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"

namespace varnel::win32 {

static_assert(sizeof(GUID) == sizeof(Guid), "same layout as the platform's GUID");

GUID ToGUID(const Guid& id) noexcept { return std::bit_cast<GUID>(id); }

Guid FromGUID(const GUID& id) noexcept { return std::bit_cast<Guid>(id); }

namespace {

// The object was asked for as IUnknown; the connection keeps its IDispatch.
ServerObject KeepDispatch(IUnknown* unknown) {
  ComPtr<IDispatch> dispatch;
  OleCheck(unknown->QueryInterface(IID_IDispatch, dispatch.put_void()));
  if (!dispatch) throw MakeOleError(E_NOINTERFACE);
  return std::make_shared<DispatchServerObject>(std::move(dispatch));
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

Guid ClassRegistryWin32::ClassOf(const String& progID) {
  GUID id{};
  const HRESULT hr = ::CLSIDFromProgID(W(progID), &id);
  if (hr != S_OK) throw MakeOleError(hr);
  return FromGUID(id);
}

std::optional<String> ClassRegistryWin32::NameOf(const Guid& clsid) {
  UniqueCoTaskString text;
  if (::ProgIDFromCLSID(ToGUID(clsid), text.put()) != S_OK) return std::nullopt;
  return FromW(text.get());
}

String ClassRegistryWin32::TextOf(const Guid& clsid) {
  UniqueCoTaskString text;
  OleCheck(::StringFromCLSID(ToGUID(clsid), text.put()));
  return FromW(text.get());
}

Guid ClassRegistryWin32::ClassOfText(const String& text) {
  GUID id{};
  OleCheck(::CLSIDFromString(W(text), &id));
  return FromGUID(id);
}

ServerObject ClassRegistryWin32::Create(const Guid& clsid, const String& computer,
                                        std::uint32_t context) {
  const GUID id = ToGUID(clsid);
  ComPtr<IUnknown> unknown;
  if (computer.empty()) {
    OleCheck(::CoCreateInstance(id, nullptr, context, IID_IUnknown, unknown.put_void()));
    return KeepDispatch(unknown.get());
  }
  if (!coCreateInstanceEx_) throw MakeOleError(E_NOTIMPL);
  String name = computer;
  COSERVERINFO server{};
  server.pwszName = const_cast<wchar_t*>(W(name));
  MULTI_QI query{&IID_IUnknown, nullptr, S_OK};
  const HRESULT hr = coCreateInstanceEx_(id, nullptr, context, &server, 1, &query);
  unknown.reset(query.pItf);  // owned from here on, whatever the results say
  OleCheck(hr);
  OleCheck(query.hr);
  return KeepDispatch(unknown.get());
}

String ClassRegistryWin32::LocalComputerName() {
  wchar_t buffer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = static_cast<DWORD>(std::size(buffer));
  if (!::GetComputerNameW(buffer, &size)) RaiseLastOSError();
  return FromW(buffer, size);
}

}  // namespace varnel::win32
