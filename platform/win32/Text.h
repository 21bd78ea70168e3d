#pragma once
// String <-> wchar_t at the Win32 boundary (wchar_t is UTF-16 on Windows).

#include <windows.h>

#include "runtime/String.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16");

namespace varnel::win32 {

inline const wchar_t* W(const String& text) noexcept {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline String FromW(const wchar_t* text) {
  return text ? String(reinterpret_cast<const char16_t*>(text)) : String();
}

inline String FromW(const wchar_t* text, std::size_t length) {
  return String(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace varnel::win32
