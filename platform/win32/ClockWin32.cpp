#include "platform/win32/ClockWin32.h"

#include <windows.h>

namespace varnel::win32 {

TDateTime TLocalClock::Now() {
  SYSTEMTIME st{};
  ::GetLocalTime(&st);
  return EncodeDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
                        st.wMilliseconds);
}

char16_t TLocalClock::TimeSeparator() {
  wchar_t buffer[8] = {};
  const int length = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, buffer,
                                      static_cast<int>(sizeof(buffer) / sizeof(buffer[0])));
  // A locale without a separator (or a failed call) falls back to the usual colon.
  if (length <= 1 || buffer[0] == L'\0') return u':';
  return static_cast<char16_t>(buffer[0]);
}

}  // namespace varnel::win32
