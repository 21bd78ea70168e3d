#pragma once
// Win32 and COM failures become the runtime's exceptions at the call site.

#include <windows.h>

#include <cstdint>

#include "runtime/Exceptions.h"

namespace varnel::win32 {

// The system's message text for an error code (FormatMessageW, system table,
// default language, inserts ignored); empty when the system has none.
String SystemErrorText(std::uint32_t code);

// EOSError for `code`, with the message rules of OSErrorMessage.
EOSError MakeOSError(std::uint32_t code);

// Reads GetLastError() at once and throws the EOSError for it.
[[noreturn]] void RaiseLastOSError();

// EOleSysError for an HRESULT: the system's text, or "OLE error %.8x".
EOleSysError MakeOleError(HRESULT hr);

// Throws MakeOleError(hr) when hr is negative.
inline void OleCheck(HRESULT hr) {
  if (FAILED(hr)) throw MakeOleError(hr);
}

}  // namespace varnel::win32
