#include "platform/win32/FolderEnumeratorWin32.h"

#include <windows.h>

#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"

namespace varnel::win32 {

namespace {

// Paths past MAX_PATH need the "\\?\" form; it takes a full path only.
String LongPathForm(const String& path) {
  if (path.size() < MAX_PATH - 12 || path.rfind(u"\\\\", 0) == 0) return path;
  if (path.size() > 2 && path[1] == u':' && path[2] == u'\\') return u"\\\\?\\" + path;
  return path;
}

}  // namespace

void FolderEnumeratorWin32::Enumerate(const String& pattern,
                                      const std::function<void(const FolderEntry&)>& visit) {
  WIN32_FIND_DATAW data{};
  UniqueFind find(::FindFirstFileW(W(LongPathForm(pattern)), &data));
  if (!find) return;
  do {
    visit(FolderEntry{FromW(data.cFileName), data.dwFileAttributes});
  } while (::FindNextFileW(find.get(), &data));
}

std::optional<FolderIdentity> FolderEnumeratorWin32::Identity(const String& folder) {
  UniqueHandle handle(::CreateFileW(W(LongPathForm(folder)), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle || handle.get() == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
  return FolderIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

}  // namespace varnel::win32
