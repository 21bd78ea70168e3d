// The driver proved against fixtures/uitarget: every action a UI scenario
// of the program relies on, on a window whose behaviour is known.

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>

#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"

#include "tests/ui/driver/Driver.h"

namespace varnel::ui {
namespace {

constexpr Milliseconds kWait{10000};
const String kCaption = u"Objetivo de Pruebas";

enum : int { kEdit = 101, kPassword = 102, kUno = 103, kDos = 104, kCheck = 105, kLabel = 110 };

std::string U8(const String& text) { return ToUtf8(text); }

ProcessOptions TargetOptions(std::vector<std::pair<String, String>> environment = {},
                             String arguments = {}) {
  ProcessOptions options;
  options.Path = FixturePath(u"uitarget.exe");
  options.Arguments = std::move(arguments);
  options.WorkingDirectory = BuildTreePath();
  options.Environment = std::move(environment);
  return options;
}

// One running uitarget.exe and its window.
class Target {
 public:
  explicit Target(const ProcessOptions& options = TargetOptions()) : process_(options) {
    WindowQuery query;
    query.ProcessId = process_.Id();
    query.Caption = kCaption;
    window_ = WaitForWindow(query, kWait);
  }
  HWND Window() const { return window_; }
  const Process& Proc() const { return process_; }
  HWND ById(int id) const { return GetChild(window_, ControlQuery{{}, {}, id, false}); }
  HWND ByText(const String& text) const {
    return GetChild(window_, ControlQuery{text, {}, {}, false});
  }
  String Label() const { return ReadText(ById(kLabel)); }

  // Runs `act` and returns what the label then says was pressed (the label
  // reads "<what> <count>"; the count proves that one new press happened).
  String PressedBy(const std::function<void()>& act) const {
    const String before = Label();
    act();
    String after;
    if (!TryWaitUntil([&] { return (after = Label()) != before; }, Milliseconds(5000)))
      return u"(nothing; label still \"" + before + u"\")";
    return after.substr(0, after.find_last_of(u' '));
  }

 private:
  Process process_;
  HWND window_ = nullptr;
};

// --- processes -------------------------------------------------------------

TEST(DriverProcess, StartsWithEnvironmentAndReportsExitCodeAndKills) {
  {
    Target target(TargetOptions({{u"UITARGET_GREETING", u"Hola ñandú"}}, u"--exit-code 7"));
    EXPECT_EQ(U8(target.Label()), "Hola ñandú");
    EXPECT_TRUE(target.Proc().IsRunning());
    EXPECT_THROW(target.Proc().ExitCode(), Exception);
    EXPECT_FALSE(target.Proc().Wait(Milliseconds(50)));
    Close(target.Window());
    ASSERT_TRUE(target.Proc().Wait(kWait));
    EXPECT_FALSE(target.Proc().IsRunning());
    EXPECT_EQ(target.Proc().ExitCode(), 7u);
  }
  {
    Target target(TargetOptions({}, u"--exit-code 3"));
    SysClose(target.Window());
    target.Proc().WaitForExit(kWait);
    EXPECT_EQ(target.Proc().ExitCode(), 3u);
  }
  {
    Target target;
    target.Proc().Kill(42);
    EXPECT_FALSE(target.Proc().IsRunning());
    EXPECT_EQ(target.Proc().ExitCode(), 42u);
  }
  EXPECT_THROW(Process(FixturePath(u"no-such-program.exe"), u""), Exception);
}

TEST(DriverProcess, DestructionKillsWhatStillRuns) {
  DWORD pid = 0;
  {
    Target target;
    pid = target.Proc().Id();
  }
  WindowQuery query;
  query.ProcessId = pid;
  query.VisibleOnly = false;
  EXPECT_TRUE(TryWaitUntil([&] { return FindTopLevelWindows(query).empty(); }, kWait));
}

TEST(DriverProcess, ComposesCommandLineAndEnvironment) {
  EXPECT_EQ(U8(ComposeCommandLine(u"C:\\a b\\x.exe", u"")), "\"C:\\a b\\x.exe\"");
  EXPECT_EQ(U8(ComposeCommandLine(u"x.exe", u" /REGSERVER")), "\"x.exe\"  /REGSERVER");
  const String block = ComposeEnvironmentBlock({{u"Path", u"C:\\only"}, {u"ZZ_NEW", u"1"}});
  ASSERT_GE(block.size(), 2u);
  EXPECT_EQ(block.substr(block.size() - 2), String(2, u'\0'));
  EXPECT_NE(block.find(String(u"Path=C:\\only") + u'\0'), String::npos);
  EXPECT_NE(block.find(String(u"ZZ_NEW=1") + u'\0'), String::npos);
  // The old PATH entry is replaced, whatever its case.
  std::size_t paths = 0;
  for (std::size_t at = 0; at < block.size(); at = block.find(u'\0', at) + 1) {
    String name = block.substr(at, 5);
    for (char16_t& c : name) c = static_cast<char16_t>(std::towupper(c));
    if (name == u"PATH=") ++paths;
  }
  EXPECT_EQ(paths, 1u);
}

// --- waiting and finding windows -------------------------------------------

TEST(DriverWindows, FindsByProcessCaptionPrefixAndClass) {
  Target target;
  WindowQuery byClass;
  byClass.ClassName = u"VarnelUiTarget";
  byClass.ProcessId = target.Proc().Id();
  EXPECT_EQ(FindTopLevelWindow(byClass), target.Window());
  WindowQuery byPrefix;
  byPrefix.Caption = u"Objetivo de";
  byPrefix.CaptionPrefix = true;
  EXPECT_EQ(FindTopLevelWindow(byPrefix), target.Window());
  byPrefix.CaptionPrefix = false;
  EXPECT_EQ(FindTopLevelWindow(byPrefix), nullptr);

  EXPECT_TRUE(IsVisible(target.Window()));
  EXPECT_EQ(U8(ReadText(target.Window())), "Objetivo de Pruebas");
  EXPECT_EQ(ProcessIdOf(target.Window()), target.Proc().Id());
  EXPECT_EQ(OuterWidth(target.Window()), 430);
  EXPECT_EQ(OuterHeight(target.Window()), 260);
  const RECT client = ClientRect(target.Window());
  EXPECT_GT(Width(client), 400);
  EXPECT_LT(Height(client), 260);  // the caption bar is outside the client area

  WindowQuery missing;
  missing.Caption = u"Ventana inexistente";
  try {
    WaitForWindow(missing, Milliseconds(200));
    ADD_FAILURE() << "no timeout";
  } catch (const TimeoutError& e) {
    EXPECT_NE(std::string(e.what()).find("\"Ventana inexistente\""), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("200 ms"), std::string::npos) << e.what();
  }
}

TEST(DriverWindows, WaitUntilPollsAndTimesOut) {
  int calls = 0;
  EXPECT_TRUE(TryWaitUntil([&] { return ++calls == 3; }, Milliseconds(2000), Milliseconds(1)));
  EXPECT_EQ(calls, 3);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(WaitUntil([] { return false; }, Milliseconds(150), u"nothing"), TimeoutError);
  EXPECT_GE(std::chrono::steady_clock::now() - start, Milliseconds(150));
}

// --- reading controls ------------------------------------------------------

TEST(DriverControls, ListsChildrenWithTextsRectsStatesAndTabOrder) {
  Target target;
  const std::vector<ControlInfo> children = ListChildren(target.Window(), true);
  ASSERT_EQ(children.size(), 11u);
  std::vector<std::string> texts;
  for (const ControlInfo& c : children) texts.push_back(U8(c.Text));
  EXPECT_EQ(texts,
            (std::vector<std::string>{"", "", "Opción &uno", "Opción &dos", "&Marcar", "Mensaje",
                                      "Info", "Abrir", "Archivo", "&Aceptar", "Listo"}));
  const ControlInfo& edit = children[0];
  EXPECT_EQ(U8(edit.ClassName), "Edit");
  EXPECT_EQ(edit.Id, kEdit);
  EXPECT_EQ(edit.Parent, target.Window());
  EXPECT_EQ(edit.RectInParentClient.left, 16);
  EXPECT_EQ(edit.RectInParentClient.top, 16);
  EXPECT_EQ(edit.Width(), 300);
  EXPECT_EQ(edit.Height(), 24);
  EXPECT_TRUE(edit.Visible && edit.Enabled && edit.TabStop());
  EXPECT_NE(children[1].Style & ES_PASSWORD, 0);
  EXPECT_EQ(children[9].Id, IDOK);
  EXPECT_EQ(children[9].Style & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  for (std::size_t i = 0; i < children.size(); ++i)
    EXPECT_EQ(children[i].ZOrderIndex, static_cast<int>(i));

  std::vector<int> tabIds;
  for (const ControlInfo& c : TabOrder(target.Window())) tabIds.push_back(c.Id);
  EXPECT_EQ(tabIds, (std::vector<int>{kEdit, kPassword, kUno, kCheck, 106, 107, 108, 109, IDOK}));

  EXPECT_EQ(FindChild(target.Window(), ControlQuery{u"Aceptar", {}, {}, false}), target.ById(IDOK));
  EXPECT_EQ(FindChild(target.Window(), ControlQuery{u"&Aceptar", u"Button", {}, false}),
            target.ById(IDOK));
  EXPECT_EQ(FindChild(target.Window(), ControlQuery{u"Aceptar", u"Static", {}, false}), nullptr);
  EXPECT_THROW(GetChild(target.Window(), ControlQuery{u"Cancelar", {}, {}, false}), Exception);
  EXPECT_THROW(
      WaitForChild(target.Window(), ControlQuery{u"Cancelar", {}, {}, false}, Milliseconds(100)),
      TimeoutError);
}

TEST(DriverControls, ChecksFollowClicks) {
  Target target;
  EXPECT_FALSE(IsChecked(target.ById(kCheck)));
  EXPECT_EQ(U8(target.PressedBy([&] { Click(target.ById(kCheck)); })), "Marcar");
  EXPECT_TRUE(IsChecked(target.ById(kCheck)));
  EXPECT_TRUE(DescribeControl(target.ById(kCheck)).Checked);

  EXPECT_EQ(U8(target.PressedBy([&] { Click(target.ById(kDos)); })), "Dos");
  EXPECT_TRUE(IsChecked(target.ById(kDos)));
  EXPECT_FALSE(IsChecked(target.ById(kUno)));
  EXPECT_EQ(U8(target.PressedBy([&] { Click(target.ById(kUno)); })), "Uno");
  EXPECT_TRUE(IsChecked(target.ById(kUno)));
  EXPECT_FALSE(IsChecked(target.ById(kDos)));
}

TEST(DriverControls, AcceleratorTexts) {
  EXPECT_EQ(U8(StripAccelerators(u"&Aceptar")), "Aceptar");
  EXPECT_EQ(U8(StripAccelerators(u"A && B")), "A & B");
  EXPECT_EQ(U8(StripAccelerators(u"Fin&")), "Fin");
  EXPECT_EQ(AcceleratorOf(u"&Aceptar"), u'A');
  EXPECT_EQ(AcceleratorOf(u"Opción &dos"), u'd');
  EXPECT_EQ(AcceleratorOf(u"A && B"), 0);
}

// --- acting ----------------------------------------------------------------

TEST(DriverInput, ClickTypeAndSetText) {
  Target target;
  EXPECT_EQ(U8(target.PressedBy([&] { Click(target.ByText(u"Aceptar")); })), "Aceptar");

  const HWND edit = target.ById(kEdit);
  SetEditText(edit, u"C:\\QUIRAL á");
  EXPECT_EQ(U8(ReadText(edit)), "C:\\QUIRAL á");
  SetEditText(edit, u"");
  Focus(edit);
  EXPECT_EQ(FocusedControl(target.Window()), edit);
  TypeText(target.Window(), u"hola ñ");
  EXPECT_TRUE(TryWaitUntil([&] { return ReadText(edit) == u"hola ñ"; }, kWait))
      << U8(ReadText(edit));

  const HWND password = target.ById(kPassword);
  Focus(password);
  TypeText(target.Window(), u"secreto");
  EXPECT_TRUE(TryWaitUntil([&] { return ReadText(password) == u"secreto"; }, kWait));
  EXPECT_EQ(U8(ReadText(edit)), "hola ñ");  // typing went to the focused edit only
}

TEST(DriverInput, KeysThroughTheDialogLoop) {
  Target target;
  Focus(target.ById(kEdit));
  EXPECT_EQ(U8(target.PressedBy([&] { PressEnter(target.Window()); })), "Aceptar");
  EXPECT_EQ(U8(target.PressedBy([&] { PressAlt(target.Window(), u'a'); })), "Aceptar");
  EXPECT_EQ(U8(target.PressedBy([&] { PressAlt(target.Window(), u'm'); })), "Marcar");
  EXPECT_TRUE(IsChecked(target.ById(kCheck)));
  EXPECT_EQ(U8(target.PressedBy([&] { PressAlt(target.Window(), u'D'); })), "Dos");

  Focus(target.ById(kEdit));
  PressTab(target.Window());
  EXPECT_TRUE(TryWaitUntil(
      [&] { return FocusedControl(target.Window()) == target.ById(kPassword); }, kWait));
  PressTab(target.Window(), true);  // Shift+Tab, real input
  EXPECT_TRUE(
      TryWaitUntil([&] { return FocusedControl(target.Window()) == target.ById(kEdit); }, kWait));

  // Real keyboard input reaches the foreground window under Wine too.
  EXPECT_EQ(U8(target.PressedBy([&] { SendKeyInput(target.Window(), VK_RETURN); })), "Aceptar");
  EXPECT_EQ(U8(target.PressedBy([&] { SendKeyInput(target.Window(), 'A', true); })), "Aceptar");
}

// --- message boxes ---------------------------------------------------------

TEST(DriverMessageBoxes, ReadsCaptionTextIconButtonsAndPresses) {
  Target target;
  EXPECT_FALSE(FindMessageBox(target.Proc().Id()).has_value());
  Click(target.ByText(u"Mensaje"));
  const MessageBoxInfo error = WaitForMessageBox(target.Proc().Id(), kWait);
  EXPECT_EQ(U8(error.Caption), "Caption ñ");
  EXPECT_EQ(U8(error.Text), "Texto á.");
  EXPECT_EQ(error.Icon, IconKind::Error) << U8(IconKindName(error.Icon));
  EXPECT_EQ(error.Buttons, std::vector<String>{u"OK"});
  EXPECT_EQ(error.ButtonIds, std::vector<int>{IDOK});
  EXPECT_EQ(error.Owner, target.Window());
  EXPECT_FALSE(FindMessageBoxes(0).empty());  // any process
  const HWND icon = GetChild(error.Handle, ControlQuery{{}, {}, kMessageBoxIconId, false});
  EXPECT_EQ(DetectIconByPixels(icon), IconKind::Error);
  EXPECT_THROW(Press(error, IDCANCEL), Exception);  // present in the template, but hidden
  Press(error, IDOK);
  EXPECT_FALSE(::IsWindow(error.Handle) && ::IsWindowVisible(error.Handle));

  Click(target.ByText(u"Info"));
  const MessageBoxInfo info = WaitForMessageBox(target.Proc().Id(), kWait);
  EXPECT_EQ(U8(info.Caption), "Aviso");
  EXPECT_EQ(U8(info.Text), "Información.");
  EXPECT_EQ(info.Icon, IconKind::Information) << U8(IconKindName(info.Icon));
  Press(info, IDOK);
  EXPECT_TRUE(TryWaitUntil([&] { return !FindMessageBox(target.Proc().Id()); }, kWait));
  // The target's loop goes on after the box.
  EXPECT_EQ(U8(target.PressedBy([&] { Click(target.ById(IDOK)); })), "Aceptar");
}

TEST(DriverMessageBoxes, TheTargetWindowItselfIsNoMessageBox) {
  Target target;
  EXPECT_FALSE(IsMessageBox(target.Window()));
  EXPECT_EQ(DetectIcon(target.ById(kLabel)), IconKind::None);
  EXPECT_THROW(WaitForMessageBox(target.Proc().Id(), Milliseconds(150)), TimeoutError);
}

// --- the shell dialog ------------------------------------------------------

TEST(DriverShellDialog, CancelsAndPicksFolderAndFile) {
  Target target;
  TempFolder temp(u"shell");
  const String folder = temp.MakeFolder(u"carpeta á");
  const String file = temp.File(u"servidor.exe");
  WriteTextFile(file, u"MZ");

  Click(target.ByText(u"Abrir"));
  const FileDialog first = WaitForFileDialog(target.Proc().Id(), kWait, u"Elegir carpeta");
  EXPECT_EQ(U8(first.Caption), "Elegir carpeta");
  EXPECT_EQ(ClassNameOf(first.FileNameEdit), u"Edit");
  CancelFileDialog(first);
  EXPECT_TRUE(TryWaitUntil([&] { return target.Label().starts_with(u"Cancelado"); }, kWait));

  Click(target.ByText(u"Abrir"));
  PickPath(WaitForFileDialog(target.Proc().Id(), kWait, u"Elegir carpeta"), folder);
  EXPECT_TRUE(TryWaitUntil([&] { return target.Label().starts_with(u"Carpeta"); }, kWait))
      << U8(target.Label());
  EXPECT_EQ(U8(ReadText(target.ById(kEdit))), U8(folder));

  Click(target.ByText(u"Archivo"));
  PickPath(WaitForFileDialog(target.Proc().Id(), kWait, u"Elegir archivo"), file);
  EXPECT_TRUE(TryWaitUntil([&] { return target.Label().starts_with(u"Archivo"); }, kWait))
      << U8(target.Label());
  EXPECT_EQ(U8(ReadText(target.ById(kEdit))), U8(file));
}

// --- pixels and screenshots ------------------------------------------------

TEST(DriverScreenshots, WritesPngsAndReadsPixels) {
  Target target;
  TempFolder temp(u"shots");
  const String screenPath = temp.File(u"screen.png");
  SaveScreenshot(screenPath);
  const std::string bytes = ReadFileBytes(screenPath);
  ASSERT_GT(bytes.size(), 1000u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  int width = 0, height = 0;
  ASSERT_TRUE(ReadPngSize(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), width, height));
  EXPECT_EQ(width, ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_EQ(height, ::GetSystemMetrics(SM_CYVIRTUALSCREEN));

  const String windowPath = temp.File(u"window.png");
  SaveScreenshot(windowPath, target.Window());
  const std::string windowBytes = ReadFileBytes(windowPath);
  ASSERT_TRUE(ReadPngSize(std::vector<std::uint8_t>(windowBytes.begin(), windowBytes.end()), width,
                          height));
  EXPECT_EQ(width, 430);
  EXPECT_EQ(height, 260);

  // An empty spot of the client area shows the window's background colour.
  const Pixels pixels = CaptureWindowPixels(target.Window());
  POINT spot{8, 230};
  ::ClientToScreen(target.Window(), &spot);
  const RECT frame = WindowRect(target.Window());
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(pixels.At(spot.x - frame.left, spot.y - frame.top),
            Rgb(GetRValue(face), GetGValue(face), GetBValue(face)));
  const Pixels printed = CaptureWindowPixels(target.Window(), CaptureMethod::Print);
  EXPECT_EQ(printed.Width, 430);
  EXPECT_EQ(printed.Height, 260);
}

TEST(DriverScreenshots, PngEncoding) {
  Pixels pixels;
  pixels.Width = 3;
  pixels.Height = 2;
  pixels.Data = {Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 255),
                 Rgb(1, 2, 3),   Rgb(4, 5, 6),   Rgb(7, 8, 9)};
  std::vector<std::uint8_t> png = EncodePng(pixels);
  int width = 0, height = 0;
  ASSERT_TRUE(ReadPngSize(png, width, height));
  EXPECT_EQ(width, 3);
  EXPECT_EQ(height, 2);
  png[18] ^= 1;  // a damaged header fails its checksum
  EXPECT_FALSE(ReadPngSize(png, width, height));
  EXPECT_FALSE(ReadPngSize(std::vector<std::uint8_t>(10, 0), width, height));
  EXPECT_THROW(EncodePng(Pixels{}), Exception);
}

// --- counters, registry, files ---------------------------------------------

TEST(DriverResources, CountersOfAnotherProcess) {
  Target target;
  const ResourceCounters before = ReadResourceCounters(target.Proc().Id());
  EXPECT_GT(before.WorkingSet, 100000u);
  EXPECT_GE(before.PeakWorkingSet, before.WorkingSet);
  EXPECT_GT(before.KernelTime100ns + before.UserTime100ns, 0u);
  // Work in the target shows in its CPU time.
  for (int i = 0; i < 20; ++i) {
    Click(target.ById(kCheck));
    ASSERT_TRUE(
        TryWaitUntil([&] { return IsChecked(target.ById(kCheck)) == (i % 2 == 0); }, kWait));
  }
  ReadResourceCounters(target.Proc().Handle());
  const ResourceCounters after = ReadResourceCounters(target.Proc().Handle());
  EXPECT_GE(after.KernelTime100ns + after.UserTime100ns,
            before.KernelTime100ns + before.UserTime100ns);
  std::printf("uitarget: handles=%lu gdi=%lu user=%lu private=%llu working_set=%llu\n",
              after.Handles, after.GdiObjects, after.UserObjects,
              static_cast<unsigned long long>(after.PrivateBytes),
              static_cast<unsigned long long>(after.WorkingSet));
  EXPECT_THROW(ReadResourceCounters(DWORD{0xFFFFFFF0}), EOSError);
}

TEST(DriverRegistry, ReadsChecksAndDeletesTrees) {
  const String key = u"SOFTWARE\\Classes\\VarnelUiDriver.Prueba";
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, key);
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, key));
  {
    win32::UniqueKey created;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, win32::W(key + u"\\CLSID"), 0, nullptr, 0,
                                KEY_WRITE | KEY_WOW64_64KEY, nullptr, created.put(), nullptr),
              ERROR_SUCCESS);
    const std::wstring value = L"{01234567-89AB-CDEF-0123-456789ABCDEF}";
    ASSERT_EQ(::RegSetValueExW(created.get(), nullptr, 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }
  EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, key));
  EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, key + u"\\CLSID"),
            std::optional<String>(u"{01234567-89AB-CDEF-0123-456789ABCDEF}"));
  EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, key + u"\\CLSID", u"Otro"), std::nullopt);
  EXPECT_EQ(RegistrySubKeys(HKEY_LOCAL_MACHINE, key), std::vector<String>{u"CLSID"});
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, key);
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, key));
  EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, key + u"\\CLSID"), std::nullopt);
}

TEST(DriverFiles, PathsTempFoldersAttributesAndCopies) {
  EXPECT_EQ(U8(WinePath(u"/work/build")), "Z:\\work\\build");
  EXPECT_EQ(U8(WinePath(u"C:/QUIRAL")), "C:\\QUIRAL");
  EXPECT_EQ(U8(JoinPath(u"C:\\a\\", u"b/c")), "C:\\a\\b\\c");
  EXPECT_TRUE(FileExists(FixturePath(u"uitarget.exe")));
  EXPECT_TRUE(FolderExists(BuildTreePath()));
  EXPECT_TRUE(FileExists(SourceTreePath(u"CMakeLists.txt")));

  String kept;
  {
    TempFolder temp(u"files");
    kept = temp.Path();
    EXPECT_TRUE(FolderExists(kept));
    const String copy = temp.File(u"sub\\copia.exe");
    temp.MakeFolder(u"sub");
    CopyFileTo(FixturePath(u"uitarget.exe"), copy);
    EXPECT_EQ(ReadFileBytes(copy).size(), ReadFileBytes(FixturePath(u"uitarget.exe")).size());
    SetHiddenSystem(copy, true, true);
    const std::uint32_t attributes = FileAttributes(copy);
    EXPECT_NE(attributes & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_NE(attributes & FILE_ATTRIBUTE_SYSTEM, 0u);
    SetHiddenSystem(copy, false, true);
    EXPECT_EQ(FileAttributes(copy) & FILE_ATTRIBUTE_HIDDEN, 0u);
    SetHiddenSystem(copy, true, false);  // left hidden: the folder must still go
    EXPECT_THROW(CopyFileTo(temp.File(u"nada.exe"), copy), Exception);
  }
  EXPECT_FALSE(FolderExists(kept));
}

TEST(DriverFiles, JsonLinesRecords) {
  TempFolder temp(u"json");
  const String log = temp.File(u"dcomperm.jsonl");
  EXPECT_TRUE(ReadJsonLines(log).empty());
  WriteFileBytes(log,
                 "{\"args\":[\"-runas\",\"{AB}\",\"Interactive User\"],\"pid\":12}\n"
                 "\n"
                 "[\"a\\\"b\", \"\\u00f1\\\\\", true, null, -1.5]\r\n"
                 "{\"command_line\":\"DComPerm  -runas  \\\"Interactive User\\\"\","
                 "\"nested\":{\"x\":\"y\"}}\n");
  const std::vector<JsonLine> lines = ReadJsonLines(log);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].FieldAll(u"args"),
            (std::vector<String>{u"-runas", u"{AB}", u"Interactive User"}));
  EXPECT_EQ(U8(lines[0].Field(u"pid")), "12");
  EXPECT_EQ(lines[1].Values, (std::vector<String>{u"a\"b", u"ñ\\", u"true", u"null", u"-1.5"}));
  EXPECT_TRUE(lines[1].Fields.empty());
  EXPECT_EQ(U8(lines[2].Field(u"command_line")), "DComPerm  -runas  \"Interactive User\"");
  EXPECT_EQ(U8(lines[2].Field(u"x")), "");  // nested members are values, not fields
  EXPECT_EQ(lines[2].Values.back(), u"y");
  EXPECT_THROW(ParseJsonLine("{\"a\":}"), EConvertError);
  EXPECT_THROW(ParseJsonLine("[\"open"), EConvertError);
  EXPECT_THROW(ParseJsonLine("[1] 2"), EConvertError);
}

// --- the command-line driver -----------------------------------------------

// Runs varnel-driver.exe with `arguments`; its exit code and UTF-8 output.
std::pair<DWORD, std::string> RunCli(const TempFolder& temp, const String& arguments) {
  ProcessOptions options;
  options.Path = BuildTreePath(u"bin\\varnel-driver.exe");
  options.Arguments = arguments;
  options.OutputFile = temp.File(u"cli-output.txt");
  Process cli(options);
  cli.WaitForExit(Milliseconds(20000));
  const DWORD code = cli.ExitCode();
  return {code, ReadFileBytes(options.OutputFile)};
}

TEST(DriverCli, ListsClicksAndAnswersMessageBoxes) {
  Target target;
  TempFolder temp(u"cli");
  const String window = u"--caption \"Objetivo de Pruebas\" --timeout 5000";

  auto [code, out] = RunCli(temp, u"list " + window);
  EXPECT_EQ(code, 0u) << out;
  EXPECT_NE(out.find("Button id=1 \"&Aceptar\" rect=304,180,90,28"), std::string::npos) << out;
  EXPECT_NE(out.find("Button id=103 \"Opción &uno\""), std::string::npos) << out;

  std::tie(code, out) = RunCli(temp, u"click " + window + u" --text Aceptar");
  EXPECT_EQ(code, 0u) << out;
  EXPECT_TRUE(TryWaitUntil([&] { return target.Label().starts_with(u"Aceptar"); }, kWait));

  std::tie(code, out) = RunCli(temp, u"set-text " + window + u" --id 101 --value \"C:\\QUIRAL ñ\"");
  EXPECT_EQ(code, 0u) << out;
  EXPECT_EQ(U8(ReadText(target.ById(kEdit))), "C:\\QUIRAL ñ");

  Click(target.ByText(u"Mensaje"));
  std::tie(code, out) = RunCli(temp, u"wait-msgbox --timeout 5000");
  EXPECT_EQ(code, 0u) << out;
  EXPECT_NE(out.find("caption=Caption ñ\ntext=Texto á.\nicon=error\nbutton=1 OK\n"),
            std::string::npos)
      << out;
  std::tie(code, out) = RunCli(temp, u"press-msgbox --button ok --timeout 5000");
  EXPECT_EQ(code, 0u) << out;
  EXPECT_TRUE(TryWaitUntil([&] { return !FindMessageBox(target.Proc().Id()); }, kWait));

  Click(target.ByText(u"Abrir"));
  std::tie(code, out) = RunCli(temp, u"pick-path --caption \"Elegir carpeta\" --cancel");
  EXPECT_EQ(code, 0u) << out;
  EXPECT_TRUE(TryWaitUntil([&] { return target.Label().starts_with(u"Cancelado"); }, kWait));

  const String shot = temp.File(u"cli.png");
  std::tie(code, out) = RunCli(temp, u"screenshot " + window + u" --out \"" + shot + u"\"");
  EXPECT_EQ(code, 0u) << out;
  const std::string png = ReadFileBytes(shot);
  int width = 0, height = 0;
  EXPECT_TRUE(ReadPngSize(std::vector<std::uint8_t>(png.begin(), png.end()), width, height));
  EXPECT_EQ(width, 430);

  std::tie(code, out) = RunCli(temp, u"wait-window --caption Ninguna --timeout 100");
  EXPECT_EQ(code, 1u);
  EXPECT_NE(out.find("Timed out after 100 ms"), std::string::npos) << out;
  std::tie(code, out) = RunCli(temp, u"volar");
  EXPECT_EQ(code, 2u);
}

}  // namespace
}  // namespace varnel::ui
