#include "platform/win32/ProgramFoldersWin32.h"

#include <windows.h>

#include <vector>

#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"

namespace varnel::win32 {

String ProgramFoldersWin32::OwnFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) RaiseLastOSError();
    if (length < buffer.size()) {
      String path = FromW(buffer.data(), length);
      const std::size_t slash = path.rfind(u'\\');
      path.resize(slash == String::npos ? 0 : slash);
      return path;
    }
    buffer.resize(buffer.size() * 2);  // cut short: the name did not fit
  }
}

String ProgramFoldersWin32::SystemFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const UINT length = ::GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length == 0) RaiseLastOSError();
    if (length < buffer.size()) return FromW(buffer.data(), length);
    buffer.resize(length);
  }
}

String ProgramFoldersWin32::PathVariable() {
  std::vector<wchar_t> buffer(1024);
  for (;;) {
    ::SetLastError(ERROR_SUCCESS);
    const DWORD length =
        ::GetEnvironmentVariableW(L"PATH", buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_SUCCESS || error == ERROR_ENVVAR_NOT_FOUND) return String();
      throw MakeOSError(error);
    }
    if (length < buffer.size()) return FromW(buffer.data(), length);
    buffer.resize(length);
  }
}

bool ProgramFoldersWin32::FileExists(const String& path) {
  const DWORD attributes = ::GetFileAttributesW(W(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace varnel::win32
