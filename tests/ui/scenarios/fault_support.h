#pragma once
// What the fault, odd-input and load scenarios share: a Varnel.exe started
// next to the stand-in DComPerm, the steps of a run as a user takes them,
// copies of the stand-in servers and the removal of what they registered.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include <windows.h>

#include <tlhelp32.h>

#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"
#include "runtime/Exceptions.h"
#include "tests/ui/driver/Driver.h"

namespace varnel::ui::fault {

inline constexpr Milliseconds kStartTimeout{20000};
inline constexpr Milliseconds kStepTimeout{15000};

inline const String kMainCaption = u"QUIRAL QRM - Configuración Servidores Quiral Velmira";
inline const String kProgressCaption = u"Información del Proceso";
inline const String kTitle = u"Configuración Servidores Quiral Velmira";
inline const String kSummaryOk = u"Proceso terminado exitosamente.";
inline const String kSummaryErrors = u"Se presentaron errores durante el proceso.";

inline std::string U8(const String& text) { return ToUtf8(text); }

// The first line of a box's text: the summary's sentence.
inline String FirstLine(const String& text) {
  const std::size_t end = text.find(u'\n');
  return end == String::npos ? text : text.substr(0, end);
}

// What the error summary lists below its sentence and the empty line.
inline std::vector<String> SummaryList(const String& text) {
  std::vector<String> lines;
  std::size_t start = text.find(u"\n\n");
  if (start == String::npos) return lines;
  start += 2;
  for (;;) {
    const std::size_t end = text.find(u'\n', start);
    lines.push_back(text.substr(start, end == String::npos ? String::npos : end - start));
    if (end == String::npos) return lines;
    start = end + 1;
  }
}

// HKLM\SOFTWARE\Classes\<sub>.
inline String ClassesKey(const String& sub) { return u"SOFTWARE\\Classes\\" + sub; }

inline String ProgIdOf(const String& baseName) { return baseName + u"." + baseName + u"DMR"; }

// The class identifier the stand-in server registered for that base name,
// or nullopt while it is not registered.
inline std::optional<String> RegisteredClsid(const String& baseName) {
  return ReadRegistryString(HKEY_LOCAL_MACHINE, ClassesKey(ProgIdOf(baseName) + u"\\CLSID"));
}

// Removes what a stand-in server registered for its base name: the ProgID,
// the class and the AppID (the class identifier names both).
inline void Unregister(const String& baseName) noexcept {
  try {
    if (const std::optional<String> clsid = RegisteredClsid(baseName)) {
      DeleteRegistryTree(HKEY_LOCAL_MACHINE, ClassesKey(u"CLSID\\" + *clsid));
      DeleteRegistryTree(HKEY_LOCAL_MACHINE, ClassesKey(u"AppID\\" + *clsid));
    }
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, ClassesKey(ProgIdOf(baseName)));
  } catch (...) {
  }
}

// Base names a scenario handed to the program; their registrations go with
// this object, also when the scenario fails half-way.
class Registrations {
 public:
  Registrations() = default;
  Registrations(const Registrations&) = delete;
  Registrations& operator=(const Registrations&) = delete;
  ~Registrations() {
    for (const String& name : names_) Unregister(name);
  }
  // Forgets any registration left by an earlier, interrupted run.
  void Add(const String& baseName) {
    Unregister(baseName);
    names_.push_back(baseName);
  }
  const std::vector<String>& Names() const { return names_; }

 private:
  std::vector<String> names_;
};

inline String ServerFixture(StringView fileName) {
  return FixturePath(u"server\\" + String(fileName));
}
inline String CrasherFixture() { return FixturePath(u"crasher\\crasher.exe"); }

// A folder that holds a copy of the stand-in DComPerm (the program is
// started there, with the folder first on its PATH) and its call record.
class ToolFolder {
 public:
  explicit ToolFolder(StringView name, bool withDComPerm = true) : folder_(name) {
    if (withDComPerm)
      CopyFileTo(FixturePath(u"dcomperm\\DComPerm.exe"), folder_.File(u"DComPerm.exe"));
  }
  const String& Path() const { return folder_.Path(); }
  String Log() const { return folder_.File(u"dcomperm-log.jsonl"); }
  std::vector<JsonLine> Calls() const { return ReadJsonLines(Log()); }

 private:
  TempFolder folder_;
};

// One Varnel.exe, its setup window, and the steps of a run.
class Varnel {
 public:
  explicit Varnel(const ToolFolder& tools, std::vector<std::pair<String, String>> environment = {})
      : process_(Options(tools, std::move(environment))) {
    WindowQuery query;
    query.ProcessId = process_.Id();
    query.Caption = kMainCaption;
    query.ClassName = u"TFrmVarnel";
    window_ = WaitForWindow(query, kStartTimeout);
    WaitUntil([&] { return ReadText(window_) == kMainCaption; }, kStartTimeout,
              u"the setup window's caption");
  }

  const Process& Proc() const { return process_; }
  DWORD Pid() const { return process_.Id(); }
  HWND Window() const { return window_; }

  HWND Control(const String& text, const String& className = {}) const {
    ControlQuery query;
    query.Text = text;
    if (!className.empty()) query.ClassName = className;
    return GetChild(window_, query);
  }
  HWND DirectoryGroup() const { return Control(u" Directorio Servidores DCOM Quiral "); }
  HWND PathEdit() const { return GetChild(DirectoryGroup(), ControlQuery{{}, u"Edit", {}, false}); }
  // The credential edits in their tab order: user, password, confirmation.
  std::vector<HWND> CredentialEdits() const {
    std::vector<HWND> edits;
    for (const ControlInfo& child :
         ListChildren(Control(u" Seguridad de componentes DCOM "), false))
      if (child.ClassName == u"Edit") edits.push_back(child.Handle);
    std::sort(edits.begin(), edits.end(),
              [](HWND a, HWND b) { return WindowRect(a).top < WindowRect(b).top; });
    return edits;
  }

  // The folder picker, answered with `folder` (a backslash path).
  void PickFolder(const String& folder) const {
    Click(GetChild(DirectoryGroup(), ControlQuery{{}, u"Button", {}, false}));
    const FileDialog dialog = WaitForFileDialog(Pid(), kStepTimeout);
    PickPath(dialog, folder);
    WaitUntil([&] { return ReadText(PathEdit()) == folder; }, kStepTimeout,
              u"the chosen folder in the path field");
  }

  void Select(const String& radioCaption) const {
    const HWND radio = Control(radioCaption, u"Button");
    Click(radio);
    WaitUntil([&] { return IsChecked(radio); }, kStepTimeout, u"the radio button checked");
  }

  void Accept() const { Click(Control(u"&Aceptar", u"Button")); }

  HWND WaitForProgressWindow(Milliseconds timeout = kStepTimeout) const {
    WindowQuery query;
    query.ProcessId = Pid();
    query.ClassName = u"TFrmInfoP50";
    return WaitForWindow(query, timeout);
  }
  HWND ProgressWindow() const {
    WindowQuery query;
    query.ProcessId = Pid();
    query.ClassName = u"TFrmInfoP50";
    return FindTopLevelWindow(query);
  }

  // The next message box of the program, after checking its caption.
  MessageBoxInfo WaitForBox(Milliseconds timeout = kStepTimeout) const {
    MessageBoxInfo box = WaitForMessageBox(Pid(), timeout);
    EXPECT_EQ(U8(box.Caption), U8(kTitle));
    return box;
  }
  // The summary box; its text is returned and the box is answered.
  String FinishRun(Milliseconds timeout = kStepTimeout) const {
    const MessageBoxInfo box = WaitForBox(timeout);
    const String text = box.Text;
    Press(box, IDOK);
    return text;
  }

  // The setup window answers messages and is idle again (no box, no
  // progress window).
  void ExpectIdleAndResponsive() const {
    EXPECT_TRUE(TryWaitUntil([&] { return ProgressWindow() == nullptr; }, kStepTimeout))
        << "the progress window is still there";
    EXPECT_FALSE(FindMessageBox(Pid()).has_value()) << "a message box is still open";
    EXPECT_EQ(U8(ReadText(window_)), U8(kMainCaption));
    EXPECT_NO_THROW(SendBounded(window_, WM_NULL, 0, 0));
  }

  // Closes the setup window and waits for the program's end.
  void Quit() const {
    Close(window_);
    process_.WaitForExit(kStepTimeout);
  }

 private:
  static ProcessOptions Options(const ToolFolder& tools,
                                std::vector<std::pair<String, String>> environment) {
    ProcessOptions options;
    options.Path = VarnelExePath();
    options.WorkingDirectory = tools.Path();
    options.Environment = std::move(environment);
    options.Environment.emplace_back(u"VARNEL_DCOMPERM_LOG", tools.Log());
    // Found on the PATH, never in the current folder.
    options.Environment.push_back(PathWith(tools.Path()));
    return options;
  }

  Process process_;
  HWND window_ = nullptr;
};

// What a run showed up to its summary: the summary's text and every box of
// the shell's own (any box without the program's title) that came first,
// each answered with its first button.
struct RunBoxes {
  String Summary;
  IconKind SummaryIcon = IconKind::None;
  std::vector<MessageBoxInfo> ShellBoxes;
};

inline RunBoxes RunToSummary(const Varnel& varnel, Milliseconds timeout = Milliseconds(30000)) {
  RunBoxes seen;
  for (;;) {
    const MessageBoxInfo box = WaitForMessageBox(varnel.Pid(), timeout);
    if (box.Caption == kTitle) {
      seen.Summary = box.Text;
      seen.SummaryIcon = box.Icon;
      Press(box, IDOK);
      return seen;
    }
    seen.ShellBoxes.push_back(box);
    if (box.ButtonIds.empty() || seen.ShellBoxes.size() > 20)
      throw Exception(u"Unexpected box before the summary: " + box.Caption + u": " + box.Text);
    Press(box, box.ButtonIds.front());
  }
}

// The class identifiers DComPerm was called for ("-runas {id} ..."), in order.
inline std::vector<String> RunAsIdentifiers(const std::vector<JsonLine>& calls) {
  std::vector<String> ids;
  for (const JsonLine& call : calls) {
    const std::vector<String> argv = call.FieldAll(u"argv");
    if (argv.size() >= 2 && argv[0] == u"-runas") ids.push_back(argv[1]);
  }
  return ids;
}

inline bool Contains(const std::vector<String>& list, const String& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

// A label of the progress window (any depth) that starts with `prefix`.
inline bool ProgressShows(HWND progress, const String& prefix) {
  for (const ControlInfo& child : ListChildren(progress, true))
    if (child.Text.rfind(prefix, 0) == 0) return true;
  return false;
}

// Ids of the running processes whose executable file is named `exeName`
// (without regard to case).
inline std::vector<DWORD> ProcessesNamed(const String& exeName) {
  std::vector<DWORD> ids;
  const HANDLE raw = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (raw == INVALID_HANDLE_VALUE) return ids;
  const win32::UniqueHandle snapshot(raw);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    if (::CompareStringOrdinal(entry.szExeFile, -1, win32::W(exeName), -1, TRUE) == CSTR_EQUAL)
      ids.push_back(entry.th32ProcessID);
  }
  return ids;
}

// Seconds of processor time (kernel + user) the process has used.
inline double CpuSeconds(HANDLE process) {
  const ResourceCounters counters = ReadResourceCounters(process);
  return static_cast<double>(counters.KernelTime100ns + counters.UserTime100ns) / 1e7;
}

}  // namespace varnel::ui::fault
