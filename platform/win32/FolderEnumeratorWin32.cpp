#include "platform/win32/FolderEnumeratorWin32.h"

#include <windows.h>

#include <cstring>

#include "platform/win32/Errors.h"
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

// FileIdInfo and FILE_ID_INFO, which the headers give only to builds for
// Windows 8 and later; the program still runs on Windows 7, where the query
// fails and the 64-bit index serves.
constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);
struct FileIdInfo128 {
  ULONGLONG VolumeSerialNumber;
  BYTE FileId[16];
};

std::array<std::uint8_t, 16> FileIndexAsId(DWORD high, DWORD low) {
  std::array<std::uint8_t, 16> id{};
  const std::uint64_t index = (static_cast<std::uint64_t>(high) << 32) | low;
  for (std::size_t i = 0; i < 8; ++i) id[i] = static_cast<std::uint8_t>(index >> (8 * i));
  return id;
}

std::optional<FolderReadFailure> FailureOf(DWORD error) {
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return std::nullopt;
  return FolderReadFailure{error, SystemErrorText(error)};
}

}  // namespace

std::optional<FolderReadFailure> FolderEnumeratorWin32::Enumerate(
    const String& pattern, const std::function<void(const FolderEntry&)>& visit) {
  WIN32_FIND_DATAW data{};
  const String path = LongPathForm(pattern);  // no temporary to free before the error is read
  // The standard level, for the 8.3 names that masks also match; large
  // fetches, since a search reads every entry of the folder.
  UniqueFind find(::FindFirstFileExW(W(path), FindExInfoStandard, &data, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!find) return FailureOf(::GetLastError());
  do {
    visit(
        FolderEntry{FromW(data.cFileName), FromW(data.cAlternateFileName), data.dwFileAttributes});
  } while (::FindNextFileW(find.get(), &data));
  return FailureOf(::GetLastError());
}

std::optional<FolderIdentity> FolderEnumeratorWin32::Identity(const String& folder) {
  UniqueFile handle(::CreateFileW(W(LongPathForm(folder)), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return std::nullopt;
  // The 128-bit id where the file system has one (the 64-bit index is not
  // unique on ReFS); a file system without it reports an id of zeros.
  FileIdInfo128 id{};
  if (::GetFileInformationByHandleEx(handle.get(), kFileIdInfo, &id, sizeof(id))) {
    FolderIdentity identity{id.VolumeSerialNumber, {}};
    static_assert(sizeof(id.FileId) == sizeof(identity.File));
    std::memcpy(identity.File.data(), id.FileId, identity.File.size());
    if (identity.File != std::array<std::uint8_t, 16>{}) return identity;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
  return FolderIdentity{info.dwVolumeSerialNumber,
                        FileIndexAsId(info.nFileIndexHigh, info.nFileIndexLow)};
}

}  // namespace varnel::win32
