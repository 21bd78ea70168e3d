// DComPerm located through the real process: its PATH, its own folder, its
// current folder. The stand-in DComPerm of the fixtures is the one found.

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/ProgramFoldersWin32.h"
#include "platform/win32/Text.h"
#include "setup/DComPermLocation.h"

using namespace varnel;
using namespace varnel::setup;
using namespace varnel::win32;

namespace {

String FixtureFolder() {
  String path = u"Z:" + FromUtf8(VARNEL_BINARY_DIR) + u"/fixtures/dcomperm";
  for (char16_t& c : path)
    if (c == u'/') c = u'\\';
  return path;
}

// Sets the process's PATH and current folder; both come back on destruction.
class ProcessState {
 public:
  ProcessState() {
    wchar_t buffer[32768];
    const DWORD length = ::GetEnvironmentVariableW(L"PATH", buffer, 32768);
    hadPath_ = length != 0;
    path_ = FromW(buffer, hadPath_ && length < 32768 ? length : 0);
    const DWORD folderLength = ::GetCurrentDirectoryW(MAX_PATH, buffer);
    folder_ = FromW(buffer, folderLength);
  }
  ProcessState(const ProcessState&) = delete;
  ProcessState& operator=(const ProcessState&) = delete;
  ~ProcessState() {
    ::SetEnvironmentVariableW(L"PATH", hadPath_ ? W(path_) : nullptr);
    ::SetCurrentDirectoryW(W(folder_));
  }
  void SetPath(const String* value) {
    ASSERT_TRUE(::SetEnvironmentVariableW(L"PATH", value ? W(*value) : nullptr));
  }
  void SetFolder(const String& folder) { ASSERT_TRUE(::SetCurrentDirectoryW(W(folder))); }

 private:
  bool hadPath_ = false;
  String path_;
  String folder_;
};

}  // namespace

TEST(DComPermLocation, TheFoldersOfTheRunningProcess) {
  ProgramFoldersWin32 folders;
  const String own = folders.OwnFolder();
  EXPECT_TRUE(folders.FileExists(own + u"\\win_dcomperm_location_test.exe")) << ToUtf8(own);
  EXPECT_FALSE(folders.FileExists(own));  // a folder is no file
  EXPECT_TRUE(folders.FileExists(folders.SystemFolder() + u"\\kernel32.dll"));
  EXPECT_FALSE(folders.FileExists(own + u"\\no-existe.exe"));

  ProcessState state;
  const String path = u"C:\\uno;\"C:\\dos;tres\"";
  state.SetPath(&path);
  EXPECT_EQ(folders.PathVariable(), path);
  state.SetPath(nullptr);
  EXPECT_EQ(folders.PathVariable(), u"");
}

TEST(DComPermLocation, FoundOnThePathButNeverInTheCurrentFolder) {
  ProgramFoldersWin32 folders;
  ProcessState state;
  const String fixture = FixtureFolder();
  ASSERT_TRUE(folders.FileExists(fixture + u"\\DComPerm.exe")) << ToUtf8(fixture);

  const String onPath = u".;tools;\"" + fixture + u"\";C:\\otra";
  state.SetPath(&onPath);
  EXPECT_EQ(LocateDComPerm(folders), fixture + u"\\DComPerm.exe");

  // The current folder holds it, and the PATH names that folder only as ".".
  state.SetFolder(fixture);
  const String dotOnly = u".;;dcomperm";
  state.SetPath(&dotOnly);
  EXPECT_EQ(LocateDComPerm(folders), std::nullopt);
  state.SetPath(nullptr);
  EXPECT_EQ(LocateDComPerm(folders), std::nullopt);
}
