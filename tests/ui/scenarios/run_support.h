#pragma once
// What the registration-run scenarios share: Varnel.exe started in a working
// folder that holds the stand-in DComPerm, its controls found by class, text
// and place, the stand-in servers' registry keys, the order the folder search
// must yield on this file system, and the processes a run leaves behind.

#include <windows.h>

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"
#include "runtime/Exceptions.h"
#include "tests/ui/driver/Driver.h"
#include "tests/ui/driver/Server32.h"

namespace varnel::ui::run {

using win32::FromW;
using win32::W;

inline constexpr Milliseconds kWait{15000};
inline const String kTitle = u"Configuración Servidores Quiral Velmira";
inline const String kMainCaption = u"QUIRAL QRM - Configuración Servidores Quiral Velmira";
inline const String kMainClass = u"TFrmVarnel";
inline const String kProgressCaption = u"Información del Proceso";
inline const String kProgressClass = u"TFrmInfoP50";
inline const String kSummaryOk = u"Proceso terminado exitosamente.";
inline const String kSummaryErrors = u"Se presentaron errores durante el proceso.";
inline const String kDescription = u"Servidor DCOM de prueba";

inline std::string U8(const String& text) { return ToUtf8(text); }

// A box's text line by line.
inline std::vector<String> TextLines(const String& text) {
  std::vector<String> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(u'\n', start);
    String line = text.substr(start, end == String::npos ? String::npos : end - start);
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    lines.push_back(std::move(line));
    if (end == String::npos) return lines;
    start = end + 1;
  }
}
inline String FirstLine(const String& text) { return TextLines(text).front(); }

// What the error summary lists below its sentence and the empty line.
inline std::vector<String> SummaryList(const String& text) {
  std::vector<String> lines = TextLines(text);
  if (lines.size() < 3) return {};
  return std::vector<String>(lines.begin() + 2, lines.end());
}

inline String Upper(String text) {
  std::wstring wide(text.begin(), text.end());
  if (!wide.empty()) ::CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return FromW(wide.c_str(), wide.size());
}

inline bool StartsWithNoCase(const String& text, const String& prefix) {
  return text.size() >= prefix.size() && Upper(text.substr(0, prefix.size())) == Upper(prefix);
}

inline String ServerFixture(StringView name) {
  return FixturePath(u"server\\" + String(name) + u".exe");
}

// --- the stand-in servers' registry keys -----------------------------------

inline String ProgIdOf(const String& base) { return base + u"." + base + u"DMR"; }

// The class identifier a stand-in server copy registers for its base name:
// worked out by the driver from the name alone, so the registry's value can be
// checked.
inline String ExpectedClsid(const String& base) { return StandInIds(base).Clsid; }

inline const String kClasses = u"SOFTWARE\\Classes\\";

inline std::optional<String> RegisteredClsid(const String& base) {
  return ReadRegistryString(HKEY_LOCAL_MACHINE, kClasses + ProgIdOf(base) + u"\\CLSID");
}
inline bool ProgIdRegistered(const String& base) {
  return RegistryKeyExists(HKEY_LOCAL_MACHINE, kClasses + ProgIdOf(base));
}
inline std::optional<String> LocalServerOf(const String& clsid) {
  return ReadRegistryString(HKEY_LOCAL_MACHINE, kClasses + u"CLSID\\" + clsid + u"\\LocalServer32");
}
inline bool AppIdExists(const String& clsid) {
  return RegistryKeyExists(HKEY_LOCAL_MACHINE, kClasses + u"AppID\\" + clsid);
}
inline std::optional<String> RunAsOf(const String& clsid) {
  return ReadRegistryString(HKEY_LOCAL_MACHINE, kClasses + u"AppID\\" + clsid, u"RunAs");
}

inline void ForgetServer(const String& base) {
  if (const std::optional<String> found = RegisteredClsid(base)) {
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kClasses + u"CLSID\\" + *found);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kClasses + u"AppID\\" + *found);
  }
  const String clsid = ExpectedClsid(base);
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, kClasses + ProgIdOf(base));
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, kClasses + u"CLSID\\" + clsid);
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, kClasses + u"AppID\\" + clsid);
}

// The keys of these base names are removed when the scenario starts (what
// a failed earlier try left) and when it ends.
class ServerKeys {
 public:
  explicit ServerKeys(std::vector<String> bases) : bases_(std::move(bases)) { Forget(); }
  ServerKeys(const ServerKeys&) = delete;
  ServerKeys& operator=(const ServerKeys&) = delete;
  ~ServerKeys() { Forget(); }
  void Forget() const {
    for (const String& base : bases_) ForgetServer(base);
  }

 private:
  std::vector<String> bases_;
};

inline void SetRegistryString(const String& subKey, const String& valueName, const String& value) {
  win32::UniqueKey key;
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, W(subKey), 0, nullptr, 0, KEY_WRITE | KEY_WOW64_64KEY,
                        nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    throw Exception(u"Cannot create HKLM\\" + subKey);
  const std::wstring data(value.begin(), value.end());
  const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
  if (::RegSetValueExW(key.get(), valueName.empty() ? nullptr : W(valueName), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(data.c_str()), bytes) != ERROR_SUCCESS)
    throw Exception(u"Cannot set a value under HKLM\\" + subKey);
}

// The keys a stand-in server would write for `base`, for programs that only
// stand for a slow server and register nothing themselves.
inline void RegisterAsServer(const String& base, const String& exePath) {
  const String clsid = ExpectedClsid(base);
  SetRegistryString(kClasses + ProgIdOf(base), {}, base + u" DMR server");
  SetRegistryString(kClasses + ProgIdOf(base) + u"\\CLSID", {}, clsid);
  SetRegistryString(kClasses + u"CLSID\\" + clsid, u"AppID", clsid);
  SetRegistryString(kClasses + u"CLSID\\" + clsid + u"\\LocalServer32", {},
                    u"\"" + exePath + u"\"");
  SetRegistryString(kClasses + u"AppID\\" + clsid, {}, base + u" DMR server");
}

// Checks what one server's registration left: ProgID -> the name's CLSID
// -> LocalServer32 naming that very file.
inline void ExpectRegistered(const String& base, const String& exePath) {
  SCOPED_TRACE(U8(base));
  const std::optional<String> clsid = RegisteredClsid(base);
  ASSERT_TRUE(clsid.has_value()) << "ProgID " << U8(ProgIdOf(base)) << " not registered";
  EXPECT_EQ(U8(*clsid), U8(ExpectedClsid(base)));
  const std::optional<String> server = LocalServerOf(*clsid);
  ASSERT_TRUE(server.has_value());
  EXPECT_EQ(U8(Upper(*server)), U8(Upper(u"\"" + exePath + u"\"")));
}

// --- slow servers ----------------------------------------------------------

inline std::string VersionResourceOf(const String& exe) {
  const HMODULE module =
      ::LoadLibraryExW(W(exe), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) throw Exception(u"Cannot load " + exe);
  std::string bytes;
  if (const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16))) {
    const HGLOBAL loaded = ::LoadResource(module, found);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (data) bytes.assign(static_cast<const char*>(data), ::SizeofResource(module, found));
  }
  ::FreeLibrary(module);
  if (bytes.empty()) throw Exception(u"No version resource in " + exe);
  return bytes;
}

// A copy of the waiter fixture that carries the stand-in server's version
// block, so the run reads its label like any server's. With
// VARNEL_WAITER_MODE=hang in the environment it runs until "<path>.stop"
// exists; it registers nothing (RegisterAsServer stands in for that).
inline void MakeSlowServer(const String& destination) {
  CopyFileTo(FixturePath(u"waiter\\waiter.exe"), destination);
  const std::string version = VersionResourceOf(ServerFixture(u"server"));
  const HANDLE update = ::BeginUpdateResourceW(W(destination), FALSE);
  if (!update) throw Exception(u"BeginUpdateResource failed for " + destination);
  const BOOL added = ::UpdateResourceW(
      update, MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(1), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
      const_cast<char*>(version.data()), static_cast<DWORD>(version.size()));
  if (!::EndUpdateResourceW(update, added ? FALSE : TRUE) || !added)
    throw Exception(u"Cannot add the version block to " + destination);
}

inline void Release(const String& slowServer) { WriteTextFile(slowServer + u".stop", u"stop"); }

// --- the order the search must give ----------------------------------------

// The folder's entries for `pattern` in the order this file system yields.
inline std::vector<WIN32_FIND_DATAW> Entries(const String& pattern) {
  std::vector<WIN32_FIND_DATAW> entries;
  WIN32_FIND_DATAW data{};
  win32::UniqueFind find(::FindFirstFileW(W(pattern), &data));
  if (!find) return entries;
  do entries.push_back(data);
  while (::FindNextFileW(find.get(), &data));
  return entries;
}

// Pre-order: the folder's own "*.exe" files as they come, then each
// subfolder (hidden and system ones left out) as it comes, searched whole.
inline void SearchOrder(const String& folder, std::vector<String>& out) {
  for (const WIN32_FIND_DATAW& entry : Entries(folder + u"\\*.exe"))
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      out.push_back(folder + u"\\" + FromW(entry.cFileName));
  for (const WIN32_FIND_DATAW& entry : Entries(folder + u"\\*.*")) {
    const String name = FromW(entry.cFileName);
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == u"." || name == u"..")
      continue;
    if (entry.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
    SearchOrder(folder + u"\\" + name, out);
  }
}

inline std::vector<String> SearchOrder(const String& folder) {
  std::vector<String> out;
  SearchOrder(folder, out);
  return out;
}

inline String FileBaseName(const String& path) {
  String name = path.substr(path.find_last_of(u'\\') + 1);
  const std::size_t dot = name.find(u'.');
  return dot == String::npos ? String() : name.substr(0, dot);
}

// --- processes -------------------------------------------------------------

inline String ImagePath(DWORD pid) {
  const win32::UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) return {};
  wchar_t path[MAX_PATH * 4];
  DWORD size = MAX_PATH * 4;
  if (!::QueryFullProcessImageNameW(process.get(), 0, path, &size)) return {};
  return FromW(path, size);
}

// Ids of running processes whose program lies under `folder`.
inline std::vector<DWORD> ProcessesUnder(const String& folder) {
  std::vector<DWORD> found;
  const win32::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    const String image = ImagePath(entry.th32ProcessID);
    if (!image.empty() && StartsWithNoCase(image, folder + u"\\"))
      found.push_back(entry.th32ProcessID);
  }
  return found;
}

inline void KillProcessesUnder(const String& folder) {
  for (const DWORD pid : ProcessesUnder(folder)) {
    const win32::UniqueHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (!process) continue;
    ::TerminateProcess(process.get(), 1);
    ::WaitForSingleObject(process.get(), 5000);
  }
}

// A PNG of a window's client area as the screen shows it (without a window
// manager the frame is not drawn), raised above other scenarios' windows.
inline void SaveClientShot(const String& fileName, HWND window) {
  ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pause(Milliseconds(300));
  RECT rect{};
  ::GetClientRect(window, &rect);
  POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
  ::MapWindowPoints(window, nullptr, corners, 2);
  CreateFolders(BuildTreePath(u"screenshots"));
  SavePng(BuildTreePath(u"screenshots\\" + fileName),
          CaptureScreenPixels(RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y}));
}

// --- the progress window ----------------------------------------------------

struct ProgressTexts {
  String Item;     // LNombreItemActual
  String Counter;  // LItemActual: "n de N"
  String Message;  // LMensajeDelProceso
};

inline bool IsCounterText(const String& text) {
  const std::size_t at = text.find(u" de ");
  if (at == String::npos || at == 0 || at + 4 >= text.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if ((i < at || i >= at + 4) && (text[i] < u'0' || text[i] > u'9')) return false;
  return true;
}

// The labels by their place in the top panel (their texts change).
inline ProgressTexts ReadProgress(HWND progress) {
  ProgressTexts texts;
  for (const ControlInfo& info : ListChildren(progress, true)) {
    if (info.ClassName != u"Static") continue;
    const RECT& r = info.RectInParentClient;
    if (r.left == 8 && r.top == 8)
      texts.Item = info.Text;
    else if (r.left == 120 && r.top == 24)
      texts.Message = info.Text;
    else if (IsCounterText(info.Text))
      texts.Counter = info.Text;
  }
  return texts;
}

// --- Varnel.exe in its working folder ---------------------------------------

struct SessionOptions {
  bool WithDComPerm = true;    // a DComPerm.exe in the working folder
  bool DComPermOnPath = true;  // and that folder on the PATH
  std::vector<std::pair<String, String>> Environment{};
};

struct Calls {
  std::vector<std::vector<String>> Argv;
  std::vector<String> CommandLines;
};

class VarnelSession {
 public:
  explicit VarnelSession(StringView name, const SessionOptions& options = {})
      : work_(String(name) + u"-work"), log_(work_.File(u"dcomperm.log")) {
    if (options.WithDComPerm)
      CopyFileTo(FixturePath(u"dcomperm\\DComPerm.exe"), work_.File(u"DComPerm.exe"));
    ProcessOptions start;
    start.Path = VarnelExePath();
    start.WorkingDirectory = work_.Path();
    start.Environment = {{u"VARNEL_DCOMPERM_LOG", log_}, {u"VARNEL_DCOMPERM_STRICT", u"1"}};
    // The program never takes DComPerm from the current folder: the PATH
    // is how it finds this one.
    if (options.WithDComPerm && options.DComPermOnPath)
      start.Environment.push_back(PathWith(work_.Path()));
    for (const auto& entry : options.Environment) start.Environment.push_back(entry);
    process_.emplace(start);
    WindowQuery query;
    query.ProcessId = process_->Id();
    query.Caption = kMainCaption;
    query.ClassName = kMainClass;
    main_ = WaitForWindow(query, kWait);
    WaitUntil(
        [&] {
          return FindChild(main_, {u"&Aceptar", {}, {}, false}) != nullptr;
        },
        kWait, u"the setup window's controls");
  }
  VarnelSession(const VarnelSession&) = delete;
  VarnelSession& operator=(const VarnelSession&) = delete;
  ~VarnelSession() {
    if (process_) process_->Kill();
    KillProcessesUnder(work_.Path());
  }

  const Process& Proc() const { return *process_; }
  DWORD Pid() const { return process_->Id(); }
  HWND Main() const { return main_; }
  const TempFolder& Work() const { return work_; }

  // --- controls ---
  HWND Button(const String& text) const { return GetChild(main_, {text, u"Button", {}, false}); }
  HWND Accept() const { return Button(u"&Aceptar"); }
  std::vector<ControlInfo> Edits() const {
    std::vector<ControlInfo> edits;
    for (ControlInfo& info : ListChildren(main_, true))
      if (info.ClassName == u"Edit") edits.push_back(std::move(info));
    return edits;
  }
  HWND PathEdit() const {
    for (const ControlInfo& info : Edits())
      if (info.Style & ES_READONLY) return info.Handle;
    throw Exception(u"No read-only path edit in the setup window");
  }
  // User, password, confirmation: the writable edits from top to bottom.
  std::vector<HWND> CredentialEdits() const {
    std::vector<ControlInfo> edits;
    for (ControlInfo& info : Edits())
      if (!(info.Style & ES_READONLY)) edits.push_back(std::move(info));
    std::sort(edits.begin(), edits.end(), [](const ControlInfo& a, const ControlInfo& b) {
      return WindowRect(a.Handle).top < WindowRect(b.Handle).top;
    });
    if (edits.size() != 3) throw Exception(u"Expected three credential edits");
    return {edits[0].Handle, edits[1].Handle, edits[2].Handle};
  }
  // The picture button next to the path field.
  HWND PickButton() const {
    const HWND group = ::GetParent(PathEdit());
    for (const ControlInfo& info : ListChildren(group, false))
      if (info.ClassName == u"Button") return info.Handle;
    throw Exception(u"No picker button next to the path field");
  }

  void Select(const String& radio) const {
    const HWND button = Button(radio);
    Click(button);
    WaitUntil([&] { return IsChecked(button); }, kWait, u"\"" + radio + u"\" selected");
  }
  void SetCredentials(const String& user, const String& password,
                      const String& confirmation) const {
    const std::vector<HWND> edits = CredentialEdits();
    SetEditText(edits[0], user);
    SetEditText(edits[1], password);
    SetEditText(edits[2], confirmation);
  }
  std::vector<String> Credentials() const {
    std::vector<String> texts;
    for (const HWND edit : CredentialEdits()) texts.push_back(ReadText(edit));
    return texts;
  }
  String PathText() const { return ReadText(PathEdit()); }

  // Through the shell's dialog, as a person would: the field is read-only.
  void Pick(const String& path) const {
    Click(PickButton());
    const FileDialog dialog = WaitForFileDialog(Pid(), kWait);
    PickPath(dialog, path, kWait);
    WaitUntil([&] { return Upper(PathText()) == Upper(path); }, kWait,
              u"the path field to show " + path);
  }
  void PressAccept() const { Click(Accept()); }

  HWND ProgressWindow() const {
    WindowQuery query;
    query.ProcessId = Pid();
    query.ClassName = kProgressClass;
    query.VisibleOnly = false;
    return FindTopLevelWindow(query);
  }
  HWND WaitForProgress(Milliseconds timeout = kWait) const {
    HWND window = nullptr;
    WaitUntil(
        [&] {
          window = ProgressWindow();
          return window != nullptr && IsVisible(window);
        },
        timeout, u"the progress window");
    return window;
  }

  // Waits until the progress window shows `item` as the current item.
  ProgressTexts WaitForItem(const String& item, Milliseconds timeout = kWait) const {
    ProgressTexts texts;
    WaitUntil(
        [&] {
          const HWND progress = ProgressWindow();
          if (!progress) return false;
          texts = ReadProgress(progress);
          return texts.Item == item;
        },
        timeout, u"the progress window to show " + item);
    return texts;
  }

  MessageBoxInfo WaitBox(Milliseconds timeout = kWait) const {
    return WaitForMessageBox(Pid(), timeout);
  }
  // Waits for a box while looking, every few milliseconds, for the progress
  // window: `sawProgress` tells whether one showed up before the box.
  MessageBoxInfo WaitBoxWatching(bool& sawProgress, Milliseconds timeout = kWait) const {
    sawProgress = false;
    std::optional<MessageBoxInfo> box;
    WaitUntil(
        [&] {
          if (ProgressWindow() != nullptr) sawProgress = true;
          box = FindMessageBox(Pid());
          return box.has_value();
        },
        timeout, u"a message box", Milliseconds(5));
    return *box;
  }
  // Waits for the box, checks it reads `text` with `icon` and the
  // application's title, and that the progress window is gone by then.
  // The error summary is checked by its sentence, and that an empty line
  // parts it from its list; the list is the caller's to check (SummaryList).
  void ExpectBox(const MessageBoxInfo& box, const String& text, IconKind icon) const {
    if (text == kSummaryErrors) {
      const std::vector<String> lines = TextLines(box.Text);
      EXPECT_EQ(U8(lines.front()), U8(text));
      if (lines.size() > 1) {
        EXPECT_TRUE(lines.size() >= 3 && lines[1].empty()) << U8(box.Text);
      }
    } else {
      EXPECT_EQ(U8(box.Text), U8(text));
    }
    EXPECT_EQ(U8(box.Caption), U8(kTitle));
    // The icon is told by its pixels: a box just shown may not be painted yet.
    IconKind shown = box.Icon;
    TryWaitUntil(
        [&] {
          if (shown == icon) return true;
          // Another scenario's window may cover it on the shared screen.
          ::SetWindowPos(box.Handle, HWND_TOP, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
          ::RedrawWindow(box.Handle, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
          shown = DetectIcon(::GetDlgItem(box.Handle, kMessageBoxIconId));
          return shown == icon;
        },
        Milliseconds(5000), Milliseconds(150));
    EXPECT_EQ(U8(IconKindName(shown)), U8(IconKindName(icon)));
  }
  MessageBoxInfo ExpectSummary(const String& text, IconKind icon,
                               Milliseconds timeout = kWait) const {
    const MessageBoxInfo box = WaitBox(timeout);
    EXPECT_EQ(ProgressWindow(), nullptr) << "progress window still there with the summary";
    ExpectBox(box, text, icon);
    return box;
  }
  void Ok(const MessageBoxInfo& box) const { Press(box, IDOK, kWait); }
  // No further box within `quiet`.
  void ExpectNoBox(Milliseconds quiet = Milliseconds(1500)) const {
    const bool appeared = TryWaitUntil([&] { return FindMessageBox(Pid()).has_value(); }, quiet);
    EXPECT_FALSE(appeared) << "unexpected box: "
                           << (appeared ? U8(FindMessageBox(Pid())->Text) : std::string());
  }
  // The window answers again after a box (Wine needs a moment).
  void WaitIdle() const {
    WaitUntil([&] { return ReadText(main_, Milliseconds(500)) == kMainCaption; }, kWait,
              u"the setup window to answer");
  }

  Calls DComPermCalls() const {
    Calls calls;
    for (const JsonLine& line : ReadJsonLines(log_)) {
      calls.Argv.push_back(line.FieldAll(u"argv"));
      calls.CommandLines.push_back(line.Field(u"cmdline"));
    }
    return calls;
  }
  // No DComPerm (a strict one waiting for a key would stay) and no program
  // of `folder` still running.
  void ExpectNothingLeft(const String& folder = {}) const {
    EXPECT_TRUE(ProcessesUnder(work_.Path()).empty()) << "a DComPerm.exe is still running";
    if (!folder.empty()) {
      EXPECT_TRUE(ProcessesUnder(folder).empty()) << "a server still runs";
    }
  }

  void CloseAndWait() const {
    Close(main_);
    process_->WaitForExit(kWait);
  }

 private:
  TempFolder work_;
  String log_;
  std::optional<Process> process_;
  HWND main_ = nullptr;
};

// The argument vector DComPerm must receive for one server.
inline std::vector<String> RunAsArgs(const String& clsid, const String& account) {
  return {u"-runas", clsid, account};
}

inline std::string Joined(const std::vector<String>& items) {
  std::string out;
  for (const String& item : items) {
    out += '[';
    out += U8(item);
    out += ']';
  }
  return out;
}

inline std::vector<std::string> Printable(const std::vector<std::vector<String>>& calls) {
  std::vector<std::string> out;
  for (const auto& call : calls) out.push_back(Joined(call));
  return out;
}

}  // namespace varnel::ui::run
