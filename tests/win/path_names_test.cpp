// Paths against the real file system: a server reached by its 8.3 form, by
// a relative path or in another letter case is the same executable.

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/PathNamesWin32.h"
#include "platform/win32/Text.h"
#include "setup/ServerCommandLine.h"

using namespace varnel;
using namespace varnel::setup;
using namespace varnel::win32;

namespace {

// A folder with a long name, holding one server with a long name.
class LongNamedServer {
 public:
  LongNamedServer() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    wchar_t full[MAX_PATH];
    ::GetLongPathNameW(temp, full, MAX_PATH);
    folder_ = FromW(full) + u"Servidores Quiral de Prueba " + IntToStr(::GetCurrentProcessId());
    ::CreateDirectoryW(W(folder_), nullptr);
    file_ = folder_ + u"\\Servidor de Ñandú Largo.exe";
    const HANDLE handle = ::CreateFileW(W(file_), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
  }
  LongNamedServer(const LongNamedServer&) = delete;
  LongNamedServer& operator=(const LongNamedServer&) = delete;
  ~LongNamedServer() {
    ::DeleteFileW(W(file_));
    ::RemoveDirectoryW(W(folder_));
  }
  const String& Folder() const { return folder_; }
  const String& File() const { return file_; }
  String ShortForm() const {
    wchar_t buffer[MAX_PATH];
    const DWORD length = ::GetShortPathNameW(W(file_), buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? FromW(buffer, length) : String();
  }

 private:
  String folder_;
  String file_;
};

String Upper(String text) {
  std::wstring wide(text.begin(), text.end());
  ::CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return FromW(wide.c_str(), wide.size());
}

}  // namespace

TEST(PathNames, TheShortFormOfAServerIsTheSameExecutable) {
  LongNamedServer server;
  PathNamesWin32 names;
  const String shortForm = server.ShortForm();
  ASSERT_FALSE(shortForm.empty());
  // Wine makes up 8.3 names for long ones, as NTFS keeps them.
  ASSERT_NE(shortForm, server.File()) << ToUtf8(shortForm);
  EXPECT_EQ(names.LongFullPath(shortForm), server.File());
  EXPECT_TRUE(SameExecutable(names, u"\"" + shortForm + u"\" -Automation", server.File()));
  EXPECT_TRUE(SameExecutable(names, shortForm + u" /Embedding", server.File()));
  EXPECT_TRUE(SameExecutable(names, u"\"" + server.File() + u"\"", shortForm));
}

TEST(PathNames, RelativeDottedAndOtherCasePathsMeetTheirFullForm) {
  LongNamedServer server;
  PathNamesWin32 names;
  wchar_t saved[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, saved);
  ASSERT_TRUE(::SetCurrentDirectoryW(W(server.Folder())));
  const String relative = names.LongFullPath(u"Servidor de Ñandú Largo.exe");
  const String dotted =
      names.LongFullPath(u"..\\" + server.Folder().substr(server.Folder().rfind(u'\\') + 1) +
                         u"\\.\\Servidor de Ñandú Largo.exe");
  ::SetCurrentDirectoryW(saved);
  EXPECT_EQ(relative, server.File());
  EXPECT_EQ(dotted, server.File());

  // Letter case aside, beyond ASCII too.
  EXPECT_TRUE(names.SameIgnoringCase(Upper(server.File()), server.File()));
  EXPECT_TRUE(SameExecutable(names, Upper(server.File()), server.File()));
  EXPECT_FALSE(names.SameIgnoringCase(server.File() + u"x", server.File()));
  EXPECT_FALSE(SameExecutable(names, server.Folder() + u"\\Otro.exe", server.File()));
}

TEST(PathNames, AMissingFileKeepsItsFullForm) {
  PathNamesWin32 names;
  EXPECT_EQ(names.LongFullPath(u"C:\\No Existe\\..\\Tampoco\\servidor.exe"),
            u"C:\\Tampoco\\servidor.exe");
  EXPECT_TRUE(SameExecutable(names, u"C:\\No Existe\\..\\Tampoco\\SERVIDOR.EXE -x",
                             u"c:\\tampoco\\servidor.exe"));
}
