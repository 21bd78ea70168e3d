// varnel-driver.exe: the UI-automation driver's main actions for shell
// scripts (the demo and the benchmarks). Output is UTF-8, one fact a line.
//
//   varnel-driver.exe COMMAND [--option value]...
// Exit code 0 on success, 1 when the action failed (message on stderr),
// 2 on a usage error.

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <map>
#include <optional>
#include <set>

#include "platform/win32/Text.h"
#include "tests/ui/driver/Driver.h"

namespace {

using namespace varnel;
using namespace varnel::ui;

constexpr char kUsage[] =
    "usage: varnel-driver.exe COMMAND [options]\n"
    "  start --exe PATH [--args TEXT] [--cwd DIR]     start a program, print its pid\n"
    "  wait-window WINDOW                              print the window's handle and caption\n"
    "  wait-gone WINDOW                                wait until the window is closed\n"
    "  list WINDOW                                     one line per control\n"
    "  click WINDOW CONTROL                            BM_CLICK, posted\n"
    "  set-text WINDOW CONTROL --value TEXT            WM_SETTEXT\n"
    "  read-text WINDOW [CONTROL]                      print the text\n"
    "  type WINDOW --value TEXT                        WM_CHAR to the focused control\n"
    "  key WINDOW --key enter|escape|tab|alt+X         a key to the focused control\n"
    "  close WINDOW                                    WM_CLOSE\n"
    "  wait-msgbox [--pid N]                           print caption, text, icon, buttons\n"
    "  press-msgbox [--pid N] [--button ok|cancel|yes|no|ID]\n"
    "  pick-path [--pid N] [--caption C] (--path P | --cancel)\n"
    "  screenshot --out FILE.png [WINDOW]              the screen or one window\n"
    "  counters --pid N                                handles, GDI, USER, memory, CPU\n"
    "WINDOW:  --caption C [--prefix] [--class K] [--pid N]\n"
    "CONTROL: --text T | --id N | --control-class K [--index I]\n"
    "common:  --timeout MS (default 10000)\n";

class UsageError : public Exception {
 public:
  using Exception::Exception;
};

struct Options {
  String Command;
  std::map<String, String> Values;
  std::set<String> Flags;
  bool Has(const String& name) const { return Values.count(name) != 0 || Flags.count(name) != 0; }
  String Get(const String& name) const {
    auto it = Values.find(name);
    if (it == Values.end()) throw UsageError(u"missing --" + name);
    return it->second;
  }
  std::optional<String> Find(const String& name) const {
    auto it = Values.find(name);
    return it == Values.end() ? std::nullopt : std::optional<String>(it->second);
  }
  int Number(const String& name, int fallback) const {
    auto it = Values.find(name);
    return it == Values.end() ? fallback : std::stoi(ToUtf8(it->second));
  }
};

const std::set<String> kFlags{u"prefix", u"cancel"};

Options Parse(int argc, wchar_t** argv) {
  if (argc < 2) throw UsageError(u"no command");
  Options options;
  options.Command = win32::FromW(argv[1]);
  for (int i = 2; i < argc; ++i) {
    const String arg = win32::FromW(argv[i]);
    if (!arg.starts_with(u"--")) throw UsageError(u"unexpected " + arg);
    const String name(StringView(arg).substr(2));
    if (kFlags.count(name)) {
      options.Flags.insert(name);
    } else {
      if (i + 1 >= argc) throw UsageError(u"--" + name + u" needs a value");
      options.Values[name] = win32::FromW(argv[++i]);
    }
  }
  return options;
}

void Print(const String& line) {
  const std::string bytes = ToUtf8(line) + "\n";
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

Milliseconds Timeout(const Options& o) { return Milliseconds(o.Number(u"timeout", 10000)); }

String Hex(const void* handle) {
  return u"0x" + IntToHex(reinterpret_cast<std::uintptr_t>(handle), 8);
}

String RectText(const RECT& r) {
  return IntToStr(r.left) + u"," + IntToStr(r.top) + u"," + IntToStr(r.right - r.left) + u"," +
         IntToStr(r.bottom - r.top);
}

// Quotes a text for one-line output: "..." with \" \\ \n \r \t escaped.
String Quote(const String& text) {
  String out = u"\"";
  for (char16_t c : text) {
    switch (c) {
      case u'"':
        out += u"\\\"";
        break;
      case u'\\':
        out += u"\\\\";
        break;
      case u'\n':
        out += u"\\n";
        break;
      case u'\r':
        out += u"\\r";
        break;
      case u'\t':
        out += u"\\t";
        break;
      default:
        out.push_back(c);
    }
  }
  return out + u"\"";
}

HWND Window(const Options& o) {
  WindowQuery query;
  query.Caption = o.Find(u"caption");
  query.CaptionPrefix = o.Has(u"prefix");
  query.ClassName = o.Find(u"class");
  query.ProcessId = static_cast<DWORD>(o.Number(u"pid", 0));
  if (!query.Caption && !query.ClassName && query.ProcessId == 0)
    throw UsageError(u"name the window with --caption, --class or --pid");
  return WaitForWindow(query, Timeout(o));
}

HWND Control(HWND window, const Options& o) {
  ControlQuery query;
  query.Text = o.Find(u"text");
  if (o.Has(u"id")) query.Id = o.Number(u"id", 0);
  query.ClassName = o.Find(u"control-class");
  if (!query.Text && !query.Id && !query.ClassName)
    throw UsageError(u"name the control with --text, --id or --control-class");
  const int index = o.Number(u"index", 0);
  HWND found = nullptr;
  WaitUntil(
      [&] {
        int seen = 0;
        for (const ControlInfo& c : ListChildren(window, true)) {
          const bool match =
              (!query.Id || c.Id == *query.Id) &&
              (!query.ClassName || c.ClassName == *query.ClassName) &&
              (!query.Text || c.Text == *query.Text || StripAccelerators(c.Text) == *query.Text);
          if (match && seen++ == index) {
            found = c.Handle;
            return true;
          }
        }
        return false;
      },
      Timeout(o), Describe(query));
  return found;
}

int ButtonId(const String& name) {
  if (name == u"ok") return IDOK;
  if (name == u"cancel") return IDCANCEL;
  if (name == u"yes") return IDYES;
  if (name == u"no") return IDNO;
  if (name == u"retry") return IDRETRY;
  if (name == u"abort") return IDABORT;
  if (name == u"ignore") return IDIGNORE;
  return std::stoi(ToUtf8(name));
}

void PrintMessageBox(const MessageBoxInfo& box) {
  Print(u"handle=" + Hex(box.Handle));
  Print(u"caption=" + box.Caption);
  Print(u"text=" + box.Text);
  Print(u"icon=" + IconKindName(box.Icon));
  for (std::size_t i = 0; i < box.Buttons.size(); ++i)
    Print(u"button=" + IntToStr(box.ButtonIds[i]) + u" " + box.Buttons[i]);
}

void PressNamedKey(HWND window, const String& key) {
  if (key == u"enter") return PressEnter(window);
  if (key == u"escape") return PressEscape(window);
  if (key == u"tab") return PressTab(window);
  if (key.starts_with(u"alt+") && key.size() == 5) return PressAlt(window, key[4]);
  throw UsageError(u"unknown key " + key);
}

void Run(const Options& o) {
  const String& c = o.Command;
  if (c == u"start") {
    ProcessOptions start;
    start.Path = o.Get(u"exe");
    start.Arguments = o.Find(u"args").value_or(String());
    start.WorkingDirectory = o.Find(u"cwd").value_or(String());
    Process process(start);
    process.Detach();
    Print(IntToStr(process.Id()));
  } else if (c == u"wait-window") {
    const HWND window = Window(o);
    Print(Hex(window) + u" " + Quote(ReadText(window)));
  } else if (c == u"wait-gone") {
    WaitForWindowGone(Window(o), Timeout(o));
  } else if (c == u"list") {
    const HWND window = Window(o);
    Print(Hex(window) + u" " + ClassNameOf(window) + u" " + Quote(ReadText(window)) + u" " +
          RectText(WindowRect(window)));
    for (const ControlInfo& i : ListChildren(window, true)) {
      Print(String(static_cast<std::size_t>(2 * (i.Depth + 1)), u' ') + Hex(i.Handle) + u" " +
            i.ClassName + u" id=" + IntToStr(i.Id) + u" " + Quote(i.Text) + u" rect=" +
            RectText(i.RectInParentClient) + u" z=" + IntToStr(i.ZOrderIndex) +
            (i.Visible ? u" visible" : u" hidden") + (i.Enabled ? u" enabled" : u" disabled") +
            (i.Checked ? u" checked" : u"") + (i.TabStop() ? u" tabstop" : u""));
    }
  } else if (c == u"click") {
    Click(Control(Window(o), o));
  } else if (c == u"set-text") {
    SetEditText(Control(Window(o), o), o.Get(u"value"));
  } else if (c == u"read-text") {
    const HWND window = Window(o);
    const bool control = o.Has(u"text") || o.Has(u"id") || o.Has(u"control-class");
    Print(ReadText(control ? Control(window, o) : window));
  } else if (c == u"type") {
    TypeText(Window(o), o.Get(u"value"));
  } else if (c == u"key") {
    PressNamedKey(Window(o), o.Get(u"key"));
  } else if (c == u"close") {
    Close(Window(o));
  } else if (c == u"wait-msgbox") {
    PrintMessageBox(WaitForMessageBox(static_cast<DWORD>(o.Number(u"pid", 0)), Timeout(o)));
  } else if (c == u"press-msgbox") {
    const MessageBoxInfo box =
        WaitForMessageBox(static_cast<DWORD>(o.Number(u"pid", 0)), Timeout(o));
    Press(box, ButtonId(o.Find(u"button").value_or(u"ok")), Timeout(o));
    Print(u"pressed " + Quote(box.Caption));
  } else if (c == u"pick-path") {
    const FileDialog dialog =
        WaitForFileDialog(static_cast<DWORD>(o.Number(u"pid", 0)), Timeout(o), o.Find(u"caption"));
    if (o.Has(u"cancel")) {
      CancelFileDialog(dialog, Timeout(o));
      Print(u"cancelled " + Quote(dialog.Caption));
    } else {
      PickPath(dialog, o.Get(u"path"), Timeout(o));
      Print(u"picked " + Quote(dialog.Caption));
    }
  } else if (c == u"screenshot") {
    const bool window = o.Has(u"caption") || o.Has(u"class") || o.Has(u"pid");
    SaveScreenshot(o.Get(u"out"), window ? Window(o) : nullptr);
  } else if (c == u"counters") {
    const ResourceCounters r = ReadResourceCounters(static_cast<DWORD>(o.Number(u"pid", 0)));
    Print(u"handles=" + IntToStr(r.Handles));
    Print(u"gdi=" + IntToStr(r.GdiObjects));
    Print(u"user=" + IntToStr(r.UserObjects));
    Print(u"private_bytes=" + IntToStr(static_cast<std::int64_t>(r.PrivateBytes)));
    Print(u"working_set=" + IntToStr(static_cast<std::int64_t>(r.WorkingSet)));
    Print(u"kernel_ms=" + IntToStr(static_cast<std::int64_t>(r.KernelTime100ns / 10000)));
    Print(u"user_ms=" + IntToStr(static_cast<std::int64_t>(r.UserTime100ns / 10000)));
  } else {
    throw UsageError(u"unknown command " + c);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // UTF-8 bytes with "\n" line ends, whatever the console's code page.
  _setmode(_fileno(stdout), _O_BINARY);
  try {
    Run(Parse(argc, argv));
    return 0;
  } catch (const UsageError& e) {
    std::fprintf(stderr, "varnel-driver: %s\n%s", e.what(), kUsage);
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "varnel-driver: %s\n", e.what());
    return 1;
  }
}
