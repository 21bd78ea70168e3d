#include "tests/ui/driver/Files.h"

#include <windows.h>

#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"

#ifndef VARNEL_BINARY_DIR
#error "VARNEL_BINARY_DIR must name the build tree"
#endif

namespace varnel::ui {

using win32::FromW;
using win32::W;

String WinePath(StringView linuxPath) {
  String path(linuxPath);
  for (char16_t& c : path)
    if (c == u'/') c = u'\\';
  if (path.size() >= 2 && path[1] == u':') return path;
  if (!path.empty() && path[0] == u'\\') return u"Z:" + path;
  return path;
}

String JoinPath(StringView folder, StringView name) {
  String path(folder);
  if (!path.empty() && path.back() != u'\\') path.push_back(u'\\');
  String rest = WinePath(name);
  while (!rest.empty() && rest.front() == u'\\') rest.erase(0, 1);
  return path + rest;
}

String BuildTreePath(StringView relative) {
  const String root = WinePath(FromUtf8(VARNEL_BINARY_DIR));
  return relative.empty() ? root : JoinPath(root, relative);
}

String SourceTreePath(StringView relative) {
  const String root = WinePath(FromUtf8(VARNEL_SOURCE_DIR));
  return relative.empty() ? root : JoinPath(root, relative);
}

String FixturePath(StringView name) { return JoinPath(BuildTreePath(u"fixtures"), name); }

String VarnelExePath() { return BuildTreePath(u"bin\\Varnel.exe"); }

void CreateFolders(const String& path) {
  if (FolderExists(path)) return;
  const std::size_t slash = path.find_last_of(u'\\');
  if (slash != String::npos && slash > 2) CreateFolders(path.substr(0, slash));
  if (!::CreateDirectoryW(W(path), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
    win32::RaiseLastOSError();
}

void DeleteTree(const String& path) noexcept {
  const DWORD attributes = ::GetFileAttributesW(W(path));
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  ::SetFileAttributesW(W(path), FILE_ATTRIBUTE_NORMAL);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    ::DeleteFileW(W(path));
    return;
  }
  WIN32_FIND_DATAW data;
  win32::UniqueFind find(::FindFirstFileW(W(JoinPath(path, u"*")), &data));
  if (find) {
    do {
      const String name = FromW(data.cFileName);
      if (name != u"." && name != u"..") DeleteTree(JoinPath(path, name));
    } while (::FindNextFileW(find.get(), &data));
  }
  find.reset();
  ::RemoveDirectoryW(W(path));
}

TempFolder::TempFolder(StringView name) {
  // The process id keeps scenario programs running side by side apart; the
  // first free number keeps folders of one program apart.
  const String base =
      JoinPath(BuildTreePath(u"ui-temp"), String(name) + u"-" + IntToStr(::GetCurrentProcessId()));
  for (int n = 1;; ++n) {
    String candidate = base + u"-" + IntToStr(n);
    if (::GetFileAttributesW(W(candidate)) == INVALID_FILE_ATTRIBUTES) {
      CreateFolders(candidate);
      path_ = std::move(candidate);
      return;
    }
  }
}

TempFolder::~TempFolder() { DeleteTree(path_); }

String TempFolder::MakeFolder(StringView relative) const {
  String path = JoinPath(path_, relative);
  CreateFolders(path);
  return path;
}

bool FileExists(const String& path) {
  const DWORD attributes = ::GetFileAttributesW(W(path));
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const String& path) {
  const DWORD attributes = ::GetFileAttributesW(W(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CopyFileTo(const String& from, const String& to) {
  if (!::CopyFileW(W(from), W(to), FALSE)) {
    const DWORD code = ::GetLastError();
    throw Exception(u"Cannot copy " + from + u" to " + to + u": " +
                    win32::MakeOSError(code).Message());
  }
}

void SetHiddenSystem(const String& path, bool hidden, bool system) {
  DWORD attributes = ::GetFileAttributesW(W(path));
  if (attributes == INVALID_FILE_ATTRIBUTES) win32::RaiseLastOSError();
  attributes &=
      ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NORMAL);
  if (hidden) attributes |= FILE_ATTRIBUTE_HIDDEN;
  if (system) attributes |= FILE_ATTRIBUTE_SYSTEM;
  if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
  if (!::SetFileAttributesW(W(path), attributes)) win32::RaiseLastOSError();
}

std::uint32_t FileAttributes(const String& path) { return ::GetFileAttributesW(W(path)); }

std::string ReadFileBytes(const String& path) {
  win32::UniqueHandle file(::CreateFileW(W(path), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    file.release();
    const DWORD code = ::GetLastError();
    throw Exception(u"Cannot read " + path + u": " + win32::MakeOSError(code).Message());
  }
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  return bytes;
}

void WriteFileBytes(const String& path, const std::string& bytes) {
  win32::UniqueHandle file(::CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    file.release();
    const DWORD code = ::GetLastError();
    throw Exception(u"Cannot write " + path + u": " + win32::MakeOSError(code).Message());
  }
  DWORD written = 0;
  if (!bytes.empty() && (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                      &written, nullptr) ||
                         written != bytes.size()))
    win32::RaiseLastOSError();
}

void WriteTextFile(const String& path, const String& text) { WriteFileBytes(path, ToUtf8(text)); }

}  // namespace varnel::ui
