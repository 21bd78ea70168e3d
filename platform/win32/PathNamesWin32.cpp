#include "platform/win32/PathNamesWin32.h"

#include <windows.h>

#include <vector>

#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"

namespace varnel::win32 {

namespace {

// Calls `fill(buffer, size)`, which returns the length written or, when the
// buffer is too small, the size it needs; 0 on failure.
template <typename Fill>
DWORD Grown(std::vector<wchar_t>& buffer, Fill fill) {
  for (;;) {
    const DWORD length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) return length;
    buffer.resize(length + 1);
  }
}

}  // namespace

String PathNamesWin32::LongFullPath(const String& path) {
  std::vector<wchar_t> full(MAX_PATH);
  const DWORD fullLength = Grown(full, [&](wchar_t* buffer, DWORD size) {
    return ::GetFullPathNameW(W(path), size, buffer, nullptr);
  });
  if (fullLength == 0) RaiseLastOSError();
  std::vector<wchar_t> longer(full.size());
  const DWORD longLength = Grown(longer, [&](wchar_t* buffer, DWORD size) {
    return ::GetLongPathNameW(full.data(), buffer, size);
  });
  return longLength == 0 ? FromW(full.data(), fullLength) : FromW(longer.data(), longLength);
}

bool PathNamesWin32::SameIgnoringCase(const String& a, const String& b) {
  return ::CompareStringOrdinal(W(a), static_cast<int>(a.size()), W(b), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

}  // namespace varnel::win32
