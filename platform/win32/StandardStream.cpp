#include "platform/win32/StandardStream.h"

#include <string>

#include "platform/win32/Text.h"

namespace varnel::win32 {

bool WriteStandardLine(DWORD which, const String& line) noexcept {
  try {
    const HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
    const String text = line + u"\r\n";
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
      DWORD written = 0;
      return ::WriteConsoleW(handle, W(text), static_cast<DWORD>(text.size()), &written, nullptr) !=
             FALSE;
    }
    const std::string bytes = ToUtf8(text);
    DWORD written = 0;
    return ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) !=
               FALSE &&
           written == bytes.size();
  } catch (...) {
    return false;
  }
}

}  // namespace varnel::win32
