// Odd folder trees and file names: a link loop, a folder reached twice,
// names beyond ASCII and beyond the BMP, a path past MAX_PATH, a folder
// named like a program, and .exe files that are no programs.

#include <chrono>

#include "platform/win32/Errors.h"
#include "tests/ui/scenarios/fault_support.h"

namespace varnel::ui::fault {
namespace {

// The Linux path of a Z: path.
std::string LinuxPath(const String& windowsPath) {
  String path = windowsPath;
  if (path.size() >= 2 && (path[0] == u'Z' || path[0] == u'z') && path[1] == u':') path.erase(0, 2);
  for (char16_t& c : path)
    if (c == u'\\') c = u'/';
  return U8(path);
}

// Starts a Linux program (Wine starts native executables too). Wine hands
// back no process that can be waited for, so callers wait for the effect.
void StartLinuxProgram(const String& program, const String& commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::wstring line(win32::W(commandLine));
  if (!::CreateProcessW(win32::W(program), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
    win32::RaiseLastOSError();
  if (info.hThread) ::CloseHandle(info.hThread);
  if (info.hProcess) ::CloseHandle(info.hProcess);
}

String Quoted(const std::string& linuxPath) { return u"'" + FromUtf8(linuxPath) + u"'"; }

// A symbolic link of the Linux file system, made with ln and removed with
// rm (which does not follow it), so that no Windows-side tree walk ever
// goes through it, not even the clean-up of the scratch folder.
class FolderLink {
 public:
  FolderLink(const String& link, const String& target) : link_(link) {
    StartLinuxProgram(u"Z:\\bin\\sh", u"sh -c \"ln -s " + Quoted(LinuxPath(target)) + u" " +
                                          Quoted(LinuxPath(link)) + u"\"");
    if (!TryWaitUntil([&] { return FolderExists(link); }, Milliseconds(10000)))
      throw Exception(u"Could not make the link " + link);
  }
  FolderLink(const FolderLink&) = delete;
  FolderLink& operator=(const FolderLink&) = delete;
  ~FolderLink() {
    try {
      StartLinuxProgram(u"Z:\\bin\\sh", u"sh -c \"rm -f " + Quoted(LinuxPath(link_)) + u"\"");
      TryWaitUntil([&] { return FileAttributes(link_) == INVALID_FILE_ATTRIBUTES; },
                   Milliseconds(10000));
    } catch (...) {
    }
  }

 private:
  String link_;
};

TEST(FaultTree, LinkLoopEndsAndASecondLinkToAFolderIsSearchedAgain) {
  ToolFolder tools(u"FxLoop-tools");
  TempFolder servers(u"FxLoop-servers");
  Registrations registrations;
  const String sub = servers.MakeFolder(u"sub");
  registrations.Add(u"FxLoopTop");
  registrations.Add(u"FxLoopSub");
  CopyFileTo(ServerFixture(u"server.exe"), servers.File(u"FxLoopTop.exe"));
  CopyFileTo(ServerFixture(u"server.exe"), JoinPath(sub, u"FxLoopSub.exe"));
  // sub\back leads to the chosen folder again (a loop without end for a walk
  // that follows names), alias leads to sub a second time.
  const FolderLink back(JoinPath(sub, u"back"), servers.Path());
  const FolderLink alias(servers.File(u"alias"), sub);
  ASSERT_TRUE(FileExists(JoinPath(sub, u"back\\sub\\back\\FxLoopTop.exe")));

  Varnel varnel(tools);
  varnel.Select(u"Usuario interactivo");
  varnel.PickFolder(servers.Path());
  const auto start = std::chrono::steady_clock::now();
  varnel.Accept();
  const RunBoxes boxes = RunToSummary(varnel);
  std::cout << "[ measured ] run over the loop: "
            << std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()
            << " s\n";
  EXPECT_EQ(U8(boxes.Summary), U8(kSummaryOk));
  EXPECT_EQ(boxes.SummaryIcon, IconKind::Information);
  EXPECT_TRUE(boxes.ShellBoxes.empty());

  // sub\back is skipped (it is the chosen folder, an ancestor), so the loop
  // ends; alias is no loop and is searched like sub: sub's server is found
  // twice, the search removes no duplicates, and gets two identity calls.
  const std::vector<String> ids = RunAsIdentifiers(tools.Calls());
  const std::optional<String> top = RegisteredClsid(u"FxLoopTop");
  const std::optional<String> inSub = RegisteredClsid(u"FxLoopSub");
  ASSERT_TRUE(top && inSub);
  EXPECT_EQ(ids.size(), 3u);
  EXPECT_EQ(std::count(ids.begin(), ids.end(), *top), 1);
  EXPECT_EQ(std::count(ids.begin(), ids.end(), *inSub), 2);
  varnel.ExpectIdleAndResponsive();
  varnel.Quit();
}

TEST(FaultTree, NamesBeyondAsciiLongPathsAndAFolderNamedLikeAProgram) {
  ToolFolder tools(u"FxNames-tools");
  TempFolder servers(u"FxNames-servers");
  Registrations registrations;
  // Accents, ñ, CJK and U+1F600 (a surrogate pair) in folder and file names.
  const String accents = u"FxAcción\u00F1\u00E1\u00FC";
  const String cjk = u"Fx\u65E5\u672C\u8A9E";
  const String emoji = u"Fx\U0001F600Cara";
  const String folder = servers.MakeFolder(u"Carpeta \u00D1and\u00FA \u4E2D\u6587 \U0001F600");
  const String inFolderLikeExe = u"FxDentroDeExe";
  const String folderLikeExe = servers.MakeFolder(u"FxCarpeta.exe");

  // A chain of folders that takes the server's path past MAX_PATH.
  String deep = servers.Path();
  for (int level = 0; deep.size() < 300; ++level)
    deep = JoinPath(deep, u"nivel" + IntToStr(level) + u"-" + String(40, u'x'));
  CreateFolders(deep);
  const String longName = u"FxRutaLarga";
  const String longPath = JoinPath(deep, longName + u".exe");

  for (const String& name : {accents, cjk, emoji, inFolderLikeExe, longName})
    registrations.Add(name);
  CopyFileTo(ServerFixture(u"server.exe"), JoinPath(folder, accents + u".exe"));
  CopyFileTo(ServerFixture(u"server.exe"), JoinPath(folder, cjk + u".exe"));
  CopyFileTo(ServerFixture(u"server.exe"), servers.File(emoji + u".exe"));
  CopyFileTo(ServerFixture(u"server.exe"), JoinPath(folderLikeExe, inFolderLikeExe + u".exe"));
  CopyFileTo(ServerFixture(u"server.exe"), longPath);
  ASSERT_GT(longPath.size(), 260u);
  ASSERT_TRUE(FileExists(longPath));

  Varnel varnel(tools);
  varnel.Select(u"Usuario interactivo");
  varnel.PickFolder(servers.Path());
  varnel.Accept();
  const RunBoxes boxes = RunToSummary(varnel, Milliseconds(60000));
  for (const MessageBoxInfo& box : boxes.ShellBoxes)
    std::cout << "[ observed ] shell box \"" << U8(box.Caption) << "\": " << U8(box.Text) << "\n";

  const std::vector<String> ids = RunAsIdentifiers(tools.Calls());
  // Every name beyond ASCII: registered under its base name and its class
  // handed to DComPerm.
  for (const String& name : {accents, cjk, emoji, inFolderLikeExe}) {
    const std::optional<String> clsid = RegisteredClsid(name);
    ASSERT_TRUE(clsid.has_value()) << U8(name) << " was not registered";
    EXPECT_EQ(std::count(ids.begin(), ids.end(), *clsid), 1) << U8(name);
  }
  // The folder named like a program is no program: nothing registered for
  // "FxCarpeta".
  EXPECT_FALSE(RegisteredClsid(u"FxCarpeta").has_value());

  // The server past MAX_PATH is found (the search reaches it), but the
  // shell cannot start a program at such a path: it says so in its own box
  // and the item counts as failed in both phases. Not skipped in silence.
  EXPECT_FALSE(RegisteredClsid(longName).has_value());
  ASSERT_EQ(boxes.ShellBoxes.size(), 1u) << "one shell box, for the server past MAX_PATH";
  EXPECT_EQ(U8(boxes.ShellBoxes.front().Text), U8(win32::SystemErrorText(ERROR_PATH_NOT_FOUND)));
  EXPECT_EQ(ids.size(), 4u);
  EXPECT_EQ(U8(FirstLine(boxes.Summary)), U8(kSummaryErrors));
  // The summary names it twice: with the reason the failed start reported
  // (under Wine "File not found." while its box says "Path not found."), and
  // with the class the lookup did not find.
  const std::vector<String> list = SummaryList(boxes.Summary);
  std::cout << "[ observed ] summary: " << U8(boxes.Summary) << "\n";
  ASSERT_EQ(list.size(), 2u);
  const String started = longPath + u": No se pudo iniciar el servidor: ";
  EXPECT_EQ(U8(list[0].substr(0, started.size())), U8(started));
  EXPECT_GT(list[0].size(), started.size() + 1) << "no reason after the colon";
  EXPECT_EQ(U8(list[1]), U8(longPath + u": Después de /REGSERVER no hay ninguna clase registrada "
                                       u"con el ProgID FxRutaLarga.FxRutaLargaDMR."));
  varnel.ExpectIdleAndResponsive();
  varnel.Quit();
}

// The presented text of the version reader's failure for `path`, as this
// system words it.
String VersionReadFailure(const String& path) {
  DWORD handle = 0;
  if (::GetFileVersionInfoSizeW(win32::W(path), &handle) != 0) return u"(has version information)";
  const DWORD code = ::GetLastError();
  return PresentableMessage(OSErrorMessage(code, win32::SystemErrorText(code)));
}

TEST(FaultTree, ExeFilesThatAreNoProgramsStopTheRunAtTheFirstOne) {
  ToolFolder tools(u"FxNoExe-tools");
  TempFolder servers(u"FxNoExe-servers");
  Registrations registrations;
  const String empty = servers.File(u"FxVacio.exe");
  const String text = servers.File(u"FxTexto.exe");
  WriteFileBytes(empty, "");
  WriteTextFile(text, u"Esto no es un programa.\r\n");
  // Subfolders come after the folder's own files, so this server is never
  // reached.
  const String later = u"FxNoExeDespues";
  registrations.Add(later);
  CopyFileTo(ServerFixture(u"server.exe"), JoinPath(servers.MakeFolder(u"sub"), later + u".exe"));

  Varnel varnel(tools);
  varnel.Select(u"Usuario interactivo");
  varnel.PickFolder(servers.Path());
  varnel.Accept();
  const RunBoxes boxes = RunToSummary(varnel);
  EXPECT_EQ(U8(FirstLine(boxes.Summary)), U8(kSummaryErrors));
  EXPECT_EQ(boxes.SummaryIcon, IconKind::Error);
  EXPECT_TRUE(boxes.ShellBoxes.empty());
  // The progress window is gone before the summary; then the failure itself.
  EXPECT_EQ(varnel.ProgressWindow(), nullptr);
  const MessageBoxInfo failure = varnel.WaitForBox();
  const String expectedEmpty = VersionReadFailure(empty);
  const String expectedText = VersionReadFailure(text);
  std::cout << "[ observed ] " << U8(failure.Text) << "\n";
  EXPECT_TRUE(failure.Text == expectedEmpty || failure.Text == expectedText)
      << "box: " << U8(failure.Text) << "\nzero-byte file: " << U8(expectedEmpty)
      << "\ntext file: " << U8(expectedText);
  EXPECT_EQ(failure.Text.rfind(u"System Error.  Code: ", 0), 0u);
  EXPECT_EQ(failure.Icon, IconKind::Error);
  Press(failure, IDOK);

  EXPECT_FALSE(RegisteredClsid(later).has_value());
  EXPECT_TRUE(tools.Calls().empty());
  varnel.ExpectIdleAndResponsive();
  varnel.Quit();
}

}  // namespace
}  // namespace varnel::ui::fault
