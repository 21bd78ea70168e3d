#include "platform/win32/Errors.h"

#include "platform/win32/Text.h"

namespace varnel::win32 {

String SystemErrorText(std::uint32_t code) {
  wchar_t buffer[1024];
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
      nullptr, code, 0, buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
  return FromW(buffer, length);
}

EOSError MakeOSError(std::uint32_t code) {
  return EOSError(OSErrorMessage(code, SystemErrorText(code)), code);
}

void RaiseLastOSError() {
  const DWORD code = ::GetLastError();
  throw MakeOSError(code);
}

EOleSysError MakeOleError(HRESULT hr) {
  const auto code = static_cast<std::uint32_t>(hr);
  String text = SystemErrorText(code);
  while (!text.empty() && text.back() <= u' ') text.pop_back();
  if (text.empty()) text = u"OLE error " + IntToHex(code, 8);
  return EOleSysError(std::move(text), hr);
}

}  // namespace varnel::win32
