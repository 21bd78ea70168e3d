// The command runner against the real shell, real processes and the real
// registry: the stand-in DComPerm records what it received, the waiter
// fixtures take time in known ways.

#include <windows.h>

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/AppIdRegistryWin32.h"
#include "platform/win32/CapturingStarterWin32.h"
#include "platform/win32/Errors.h"
#include "platform/win32/ProcessStarterWin32.h"
#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"
#include "runtime/Exceptions.h"
#include "setup/CommandRunner.h"
#include "setup/IdentityCommand.h"

using namespace varnel;
using namespace varnel::setup;
using namespace varnel::win32;
using namespace std::chrono_literals;

namespace {

// A build-tree path as Wine reaches it: the Linux root is drive Z:.
String WinePath(const char* linuxPath) {
  String path = u"Z:" + FromUtf8(linuxPath);
  for (char16_t& c : path)
    if (c == u'/') c = u'\\';
  return path;
}

String FixtureDir(const char16_t* name) {
  return WinePath(VARNEL_BINARY_DIR) + u"\\fixtures\\" + name;
}

void SetEnv(const char16_t* name, const String& value) {
  ASSERT_TRUE(::SetEnvironmentVariableW(W(String(name)), W(value)));
}

String GetEnv(const char16_t* name) {
  wchar_t buffer[32768];
  const DWORD length = ::GetEnvironmentVariableW(W(String(name)), buffer, 32768);
  return FromW(buffer, length < 32768 ? length : 0);
}

// The application's pump as the runner sees it, counting its passes.
class TestPump final : public IMessagePump {
 public:
  void ProcessMessages() override {
    ++passes;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        terminated_ = true;
        continue;
      }
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  bool Terminated() const override { return terminated_; }
  int passes = 0;

 private:
  bool terminated_ = false;
};

constexpr UINT kPing = WM_APP + 1;  // records when it was dispatched
constexpr UINT kQuit = WM_APP + 2;  // closes the application, as the window's close would

struct WindowRecord {
  std::atomic<int> pings{0};
  ULONGLONG pingTick = 0;
};

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* record = reinterpret_cast<WindowRecord*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (record && message == kPing) {
    record->pingTick = ::GetTickCount64();
    ++record->pings;
    return 0;
  }
  if (message == kQuit) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// A hidden top-level window: the owner of any shell error box, and the
// target of messages posted from other threads during a wait.
UniqueWindow MakeTestWindow(WindowRecord& record) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = TestWindowProc;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"VarnelRunnerTestWindow";
  ::RegisterClassW(&windowClass);  // fails harmlessly once registered
  UniqueWindow window(::CreateWindowExW(0, L"VarnelRunnerTestWindow", L"runner test",
                                        WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                        windowClass.hInstance, nullptr));
  if (window) ::SetWindowLongPtrW(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&record));
  return window;
}

// Runs `body` on another thread after `delay`; joined on destruction.
class Later {
 public:
  template <typename Body>
  Later(std::chrono::milliseconds delay, Body body)
      : thread_([delay, body] {
          std::this_thread::sleep_for(delay);
          body();
        }) {}
  Later(const Later&) = delete;
  Later& operator=(const Later&) = delete;
  ~Later() { thread_.join(); }

 private:
  std::thread thread_;
};

// The shell may show its own error box, modal on the test's thread: this
// closes every dialog box of this process from another thread and notes what
// it saw.
class ShellBoxCloser {
 public:
  ShellBoxCloser(HWND owner, std::vector<std::string>& seen)
      : thread_([this, owner, &seen] {
          std::vector<HWND> known;
          while (!done_) {
            HWND box = nullptr;
            while ((box = ::FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
              DWORD pid = 0;
              ::GetWindowThreadProcessId(box, &pid);
              if (pid != ::GetCurrentProcessId() || !::IsWindowVisible(box)) continue;
              if (std::find(known.begin(), known.end(), box) == known.end()) {
                known.push_back(box);
                wchar_t caption[256] = {};
                wchar_t text[512] = {};
                ::GetWindowTextW(box, caption, 256);
                ::GetDlgItemTextW(box, 0xFFFF, text, 512);
                std::string note = "caption \"";
                note += ToUtf8(FromW(caption));
                note += "\", text \"";
                note += ToUtf8(FromW(text));
                note += ::GetWindow(box, GW_OWNER) == owner ? "\", owned by the given window"
                                                            : "\", other owner";
                seen.push_back(std::move(note));
              }
              ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            }
            std::this_thread::sleep_for(50ms);
          }
        }) {}
  ShellBoxCloser(const ShellBoxCloser&) = delete;
  ShellBoxCloser& operator=(const ShellBoxCloser&) = delete;
  ~ShellBoxCloser() {
    done_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> done_{false};
  std::thread thread_;
};

// --- The stand-in DComPerm's record ---------------------------------------

struct LoggedCall {
  std::vector<String> argv;
  String cmdline;
};

class LineReader {
 public:
  explicit LineReader(const std::string& line) : line_(line) {}
  bool Take(const char* literal) {
    const std::string text(literal);
    if (line_.compare(pos_, text.size(), text) != 0) return false;
    pos_ += text.size();
    return true;
  }
  bool Peek(char c) const { return pos_ < line_.size() && line_[pos_] == c; }
  bool String(varnel::String& out) {
    if (!Take("\"")) return false;
    std::string bytes;
    while (pos_ < line_.size() && line_[pos_] != '"') {
      char c = line_[pos_++];
      if (c != '\\') {
        bytes += c;
        continue;
      }
      if (pos_ >= line_.size()) return false;
      c = line_[pos_++];
      if (c == '"' || c == '\\') {
        bytes += c;
      } else if (c == 'u' && pos_ + 4 <= line_.size()) {
        const auto cp = std::stoul(line_.substr(pos_, 4), nullptr, 16);
        pos_ += 4;
        if (cp >= 0x20) return false;  // only control characters are escaped
        bytes += static_cast<char>(cp);
      } else {
        return false;
      }
    }
    if (!Take("\"")) return false;
    out = FromUtf8(bytes);
    return true;
  }
  bool AtEnd() const { return pos_ == line_.size(); }

 private:
  std::string line_;
  std::size_t pos_ = 0;
};

std::vector<LoggedCall> ReadLog(const String& path) {
  std::vector<LoggedCall> calls;
  FILE* file = ::_wfopen(W(path), L"rb");
  if (!file) return calls;
  std::string content;
  char buffer[4096];
  std::size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, count);
  std::fclose(file);
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    EXPECT_NE(end, std::string::npos) << "unterminated record line";
    if (end == std::string::npos) end = content.size();
    LineReader reader(content.substr(start, end - start));
    LoggedCall call;
    bool ok = reader.Take("{\"argv\":[");
    while (ok && !reader.Peek(']')) {
      String word;
      ok = reader.String(word);
      call.argv.push_back(word);
      if (ok && !reader.Peek(']')) ok = reader.Take(",");
    }
    ok = ok && reader.Take("],\"cmdline\":") && reader.String(call.cmdline) && reader.Take("}") &&
         reader.AtEnd();
    EXPECT_TRUE(ok) << "malformed record: " << content.substr(start, end - start);
    calls.push_back(std::move(call));
    start = end + 1;
  }
  return calls;
}

// --- A registered AppID key, removed again on the way out -----------------

String NewGuidText() {
  GUID guid;
  EXPECT_EQ(::CoCreateGuid(&guid), S_OK);
  wchar_t text[40];
  ::StringFromGUID2(guid, text, 40);
  return FromW(text);
}

class AppIdKey {
 public:
  AppIdKey() : guid_(NewGuidText()), path_(u"SOFTWARE\\Classes\\AppID\\" + guid_) {
    HKEY key = nullptr;
    EXPECT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, W(path_), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    key_.reset(key);
  }
  AppIdKey(const AppIdKey&) = delete;
  AppIdKey& operator=(const AppIdKey&) = delete;
  ~AppIdKey() {
    key_.reset();
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, W(path_));
  }
  const String& Guid() const { return guid_; }
  void SetRunAs(const String& text) {
    ASSERT_EQ(::RegSetValueExW(key_.get(), L"RunAs", 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<DWORD>((text.size() + 1) * sizeof(char16_t))),
              ERROR_SUCCESS);
  }

 private:
  String guid_;
  String path_;
  UniqueKey key_;
};

struct IdentityChoice final : IIdentitySource {
  bool InteractivoSelected() const override { return option == IdentityOption::UsuarioInteractivo; }
  bool InicialSelected() const override { return option == IdentityOption::UsuarioInicial; }
  bool EsteUsuarioSelected() const override { return option == IdentityOption::EsteUsuario; }
  String Usuario() const override { return usuario; }
  String Contrasena() const override { return contrasena; }
  IdentityOption option = IdentityOption::UsuarioInteractivo;
  String usuario;
  String contrasena;
};

class RunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    window_ = MakeTestWindow(record_);
    ASSERT_TRUE(window_);
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    static int serial = 0;
    dir_ = FromW(temp) + u"varnel_runner_" + IntToStr(::GetCurrentProcessId()) + u"_" +
           IntToStr(++serial);
    ::CreateDirectoryW(W(dir_), nullptr);
    logPath_ = dir_ + u"\\dcomperm.log";
    SetEnv(u"VARNEL_DCOMPERM_LOG", logPath_);
    SetEnv(u"PATH", FixtureDir(u"dcomperm") + u";" + GetEnv(u"PATH"));
  }
  void TearDown() override {
    ::DeleteFileW(W(logPath_));
    ::RemoveDirectoryW(W(dir_));
    window_.reset();
    ::CoUninitialize();
  }

  String Waiter(const char16_t* name) { return FixtureDir(u"waiter") + u"\\" + name; }

  WindowRecord record_;
  UniqueWindow window_;
  String dir_;
  String logPath_;
  // The runner over the real shell and the real capturing start, with the
  // stand-in DComPerm at its full path.
  CommandRunner Runner(ProcessStarterWin32& starter) {
    CommandRunner runner(starter, tools_, pump_, registry_);
    runner.UsarDComPerm(FixtureDir(u"dcomperm") + u"\\DComPerm.exe");
    return runner;
  }

  TestPump pump_;
  AppIdRegistryWin32 registry_;
  CapturingStarterWin32 tools_;
};

}  // namespace

// --- What DComPerm receives -----------------------------------------------

TEST_F(RunnerTest, DComPermReceivesTheFixedAccountsAndSetsThem) {
  ProcessStarterWin32 starter(window_.get());
  CommandRunner runner = Runner(starter);
  AppIdKey key;
  IdentityChoice choice;
  EXPECT_NO_THROW(runner.AsignarPermisosDcom(key.Guid(), choice));
  EXPECT_EQ(registry_.ReadRunAs(key.Guid()).Text, u"Interactive User");
  choice.option = IdentityOption::UsuarioInicial;
  EXPECT_NO_THROW(runner.AsignarPermisosDcom(key.Guid(), choice));
  const RunAsValue after = registry_.ReadRunAs(key.Guid());
  EXPECT_TRUE(after.KeyExists);
  EXPECT_FALSE(after.ValuePresent);

  const std::vector<LoggedCall> calls = ReadLog(logPath_);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].argv, (std::vector<String>{u"-runas", key.Guid(), u"Interactive User"}));
  EXPECT_EQ(calls[1].argv, (std::vector<String>{u"-runas", key.Guid(), u"Launching User"}));
  // The shell puts the program in front of our tail, which arrives unchanged.
  const String tail = u" -runas " + key.Guid() + u" \"Interactive User\"";
  ASSERT_GE(calls[0].cmdline.size(), tail.size());
  EXPECT_EQ(calls[0].cmdline.substr(calls[0].cmdline.size() - tail.size()), tail);
}

TEST_F(RunnerTest, CredentialsArriveAsTypedOneArgumentEach) {
  ProcessStarterWin32 starter(window_.get());
  CommandRunner runner = Runner(starter);
  AppIdKey key;
  IdentityChoice choice;
  choice.option = IdentityOption::EsteUsuario;
  const std::vector<std::pair<String, String>> credentials = {
      {u"admin", u"s3cr3t"},
      {u"Juan Pérez", u"clave con blancos"},
      {u"DOMINIO\\usuario", u"a\"b\"c"},
      {u"dir\\ \\\"x", u"fin\\"},
      {u"trail\\\\ ", u"\\\\\""},
      {u"Ñandú José", u"пароль\t密码"},
      {u"  ", u""},
  };
  for (const auto& [usuario, contrasena] : credentials) {
    choice.usuario = usuario;
    choice.contrasena = contrasena;
    EXPECT_NO_THROW(runner.AsignarPermisosDcom(key.Guid(), choice)) << ToUtf8(usuario);
    EXPECT_EQ(registry_.ReadRunAs(key.Guid()).Text, usuario);
  }
  const std::vector<LoggedCall> calls = ReadLog(logPath_);
  ASSERT_EQ(calls.size(), credentials.size());
  for (std::size_t i = 0; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].argv, (std::vector<String>{u"-runas", key.Guid(), credentials[i].first,
                                                  credentials[i].second}))
        << "call " << i << ": " << ToUtf8(calls[i].cmdline);
  }
  // Plain credentials go byte for byte.
  EXPECT_EQ(calls[0].cmdline.substr(calls[0].cmdline.size() - 13), u" admin s3cr3t");
}

TEST_F(RunnerTest, EmptyIdentifierFailsBeforeTheToolStarts) {
  ProcessStarterWin32 starter(window_.get());
  CommandRunner runner = Runner(starter);
  IdentityChoice choice;
  try {
    runner.AsignarPermisosDcom(u"", choice);
    ADD_FAILURE() << "an empty identifier has no AppID key";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), MissingAppIdReason(u"{}"));
  }
  EXPECT_TRUE(ReadLog(logPath_).empty());
}

// --- The identity check on the real registry ------------------------------

TEST_F(RunnerTest, IdentityCheckFailsForMissingKeyAndForOtherValue) {
  ProcessStarterWin32 starter(window_.get());
  CommandRunner runner = Runner(starter);
  IdentityChoice choice;
  const String missing = NewGuidText();
  try {
    runner.AsignarPermisosDcom(missing, choice);
    ADD_FAILURE() << "the tool never creates a key";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"No existe la clave AppID " + missing +
                               u" (HKLM\\SOFTWARE\\Classes\\AppID); DComPerm no la crea.");
  }
  EXPECT_FALSE(registry_.ReadRunAs(missing).KeyExists);
  EXPECT_TRUE(ReadLog(logPath_).empty()) << "DComPerm started for a key it cannot create";

  AppIdKey key;
  key.SetRunAs(u"Otro Usuario");
  EXPECT_TRUE(registry_.ReadRunAs(key.Guid()).ValuePresent);
  EXPECT_EQ(registry_.ReadRunAs(key.Guid()).Text, u"Otro Usuario");
  const RunAsValue held = registry_.ReadRunAs(key.Guid());
  EXPECT_THROW(JudgeRunAs(held, key.Guid(), IdentityOption::UsuarioInteractivo, u""), Exception);
  EXPECT_THROW(JudgeRunAs(held, key.Guid(), IdentityOption::UsuarioInicial, u""), Exception);
  EXPECT_THROW(JudgeRunAs(held, key.Guid(), IdentityOption::EsteUsuario, u"otro usuario"),
               Exception);
  EXPECT_NO_THROW(JudgeRunAs(held, key.Guid(), IdentityOption::EsteUsuario, u"Otro Usuario"));
}

TEST_F(RunnerTest, AClassNamingAnotherAppIdGetsItsIdentityThere) {
  ProcessStarterWin32 starter(window_.get());
  CommandRunner runner = Runner(starter);
  AppIdKey own;  // named after the class: must stay untouched
  AppIdKey other;
  const String classKey = u"SOFTWARE\\Classes\\CLSID\\" + own.Guid();
  {
    UniqueKey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, W(classKey), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    const String value = other.Guid();
    ASSERT_EQ(::RegSetValueExW(key.get(), L"AppID", 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>((value.size() + 1) * sizeof(char16_t))),
              ERROR_SUCCESS);
  }
  EXPECT_EQ(registry_.ReadClassAppId(own.Guid()), std::optional<String>(other.Guid()));
  EXPECT_EQ(registry_.ReadClassAppId(NewGuidText()), std::nullopt);
  IdentityChoice choice;
  IdentityRecord record;
  EXPECT_NO_THROW(runner.AsignarPermisosDcom(own.Guid(), choice, nullptr, &record));
  ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, W(classKey));
  EXPECT_EQ(record.AppId, other.Guid());
  EXPECT_EQ(registry_.ReadRunAs(other.Guid()).Text, u"Interactive User");
  EXPECT_FALSE(registry_.ReadRunAs(own.Guid()).ValuePresent);
  const std::vector<LoggedCall> calls = ReadLog(logPath_);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].argv, (std::vector<String>{u"-runas", other.Guid(), u"Interactive User"}));
}

// --- The wait --------------------------------------------------------------

TEST_F(RunnerTest, ProgramThatExitsAtOnceStillGetsOnePass) {
  ProcessStarterWin32 starter(window_.get());
  CommandRunner runner = Runner(starter);
  SetEnv(u"VARNEL_WAITER_MS", u"0");
  EXPECT_NO_THROW(runner.EjecutarYEsperar(Waiter(u"waiter.exe"), u"", u"el programa"));
  EXPECT_GE(pump_.passes, 1);
}

TEST_F(RunnerTest, ExitCode259EndsTheWait) {
  ProcessStarterWin32 starter(window_.get());
  CommandRunner runner = Runner(starter);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_NO_THROW(
      runner.EjecutarYEsperar(Waiter(u"waiter_exit259.exe"), u" /REGSERVER", u"el programa"));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, 250ms);  // it did wait for the program
  EXPECT_LT(elapsed, 10s);
}

TEST_F(RunnerTest, UnresolvableNameFailsWithTheSystemsReasonAndNoWait) {
  ProcessStarterWin32 starter(window_.get());
  CommandRunner runner = Runner(starter);
  std::vector<std::string> seen;
  {
    ShellBoxCloser closer(window_.get(), seen);
    try {
      runner.EjecutarYEsperar(u"VarnelNoExisteEsteProgramaXYZ", u" -x", u"el programa");
      ADD_FAILURE() << "a refused start is a failure for this caller";
    } catch (const Exception& e) {
      // The shell's reason, in the system's words.
      const String prefix = u"No se pudo iniciar el programa: ";
      std::printf("refusal: %s\n", ToUtf8(e.Message()).c_str());
      EXPECT_EQ(e.Message().substr(0, prefix.size()), prefix);
      String text = SystemErrorText(ERROR_FILE_NOT_FOUND);
      while (!text.empty() && (text.back() <= u' ' || text.back() == u'.')) text.pop_back();
      EXPECT_NE(e.Message().find(text), String::npos) << ToUtf8(text);
    }
    EXPECT_EQ(pump_.passes, 0);
  }
  std::printf("shell error boxes seen: %zu\n", seen.size());
  for (const std::string& box : seen) std::printf("  %s\n", box.c_str());
}

TEST_F(RunnerTest, MessagesAreDispatchedWhileTheProgramRuns) {
  ProcessStarterWin32 starter(window_.get());
  CommandRunner runner = Runner(starter);
  SetEnv(u"VARNEL_WAITER_MS", u"2000");
  const ULONGLONG start = ::GetTickCount64();
  {
    HWND target = window_.get();
    Later ping(300ms, [target] { ::PostMessageW(target, kPing, 0, 0); });
    EXPECT_NO_THROW(runner.EjecutarYEsperar(Waiter(u"waiter.exe"), u"", u"el programa"));
  }
  const ULONGLONG end = ::GetTickCount64();
  EXPECT_EQ(record_.pings.load(), 1);
  EXPECT_GE(end - start, 1800u);  // the wait lasted as long as the program
  // Dispatched on arrival, not only after the program ended.
  EXPECT_LT(record_.pingTick - start, 1200u);
  EXPECT_GE(pump_.passes, 2);
}

TEST_F(RunnerTest, QuitDuringTheWaitEndsItAndLaterCallsDoNotWait) {
  ProcessStarterWin32 starter(window_.get());
  CommandRunner runner = Runner(starter);
  const String stopFile = dir_ + u"\\stop";
  SetEnv(u"VARNEL_WAITER_STOPFILE", stopFile);
  const ULONGLONG start = ::GetTickCount64();
  {
    HWND target = window_.get();
    Later quit(300ms, [target] { ::PostMessageW(target, kQuit, 0, 0); });
    EXPECT_NO_THROW(runner.EjecutarYEsperar(Waiter(u"waiter_hang.exe"), u"", u"el programa"));
  }
  const ULONGLONG afterQuit = ::GetTickCount64();
  EXPECT_TRUE(pump_.Terminated());
  EXPECT_LT(afterQuit - start, 5000u);
  const int passesBefore = pump_.passes;

  // The flag stays set: the next program is started, one pass, no wait.
  SetEnv(u"VARNEL_WAITER_MS", u"3000");
  EXPECT_NO_THROW(runner.EjecutarYEsperar(Waiter(u"waiter_hang.exe"), u"", u"el programa"));
  EXPECT_NO_THROW(runner.EjecutarYEsperar(Waiter(u"waiter.exe"), u"", u"el programa"));
  EXPECT_EQ(pump_.passes, passesBefore + 2);
  EXPECT_LT(::GetTickCount64() - afterQuit, 2000u);

  // Both hanging programs were started and still run: let them go.
  FILE* stop = ::_wfopen(W(stopFile), L"wb");
  ASSERT_NE(stop, nullptr);
  std::fclose(stop);
  std::this_thread::sleep_for(500ms);
  ::DeleteFileW(W(stopFile));
}

TEST_F(RunnerTest, WaitingUsesNoProcessorTime) {
  ProcessStarterWin32 starter(window_.get());
  CommandRunner runner = Runner(starter);
  const auto cpuSeconds = [] {
    FILETIME creation, exit, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &creation, &exit, &kernel, &user);
    const auto ticks = [](FILETIME t) {
      return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
  };
  // The measure must see a busy thread, or a low figure below proves nothing:
  // spin until it has counted 0.2 s (the machine may be shared, so the wall
  // time this takes varies).
  const double calibrationStart = cpuSeconds();
  const ULONGLONG spinStart = ::GetTickCount64();
  volatile unsigned sink = 0;
  while (cpuSeconds() - calibrationStart < 0.2 && ::GetTickCount64() - spinStart < 10000)
    sink = sink + 1;
  std::printf("a spin counted %.3f s CPU in %llu ms\n", cpuSeconds() - calibrationStart,
              ::GetTickCount64() - spinStart);
  ASSERT_GE(cpuSeconds() - calibrationStart, 0.2) << "process times do not reflect processor use";

  SetEnv(u"VARNEL_WAITER_MS", u"5000");
  const double before = cpuSeconds();
  const ULONGLONG start = ::GetTickCount64();
  EXPECT_NO_THROW(runner.EjecutarYEsperar(Waiter(u"waiter.exe"), u"", u"el programa"));
  const ULONGLONG elapsed = ::GetTickCount64() - start;
  const double used = cpuSeconds() - before;
  std::printf("waiting %llu ms for waiter.exe used %.3f s CPU (user+kernel), %d pump passes\n",
              elapsed, used, pump_.passes);
  EXPECT_GE(elapsed, 4800u);
  EXPECT_LT(used, 1.0);
  // A polling loop would make passes by the million; a sleeping one makes one
  // per arrival.
  EXPECT_LT(pump_.passes, 100);
}

TEST_F(RunnerTest, AStopEndsTheWaitAtOnceAndTheProgramRunsOn) {
  ProcessStarterWin32 starter(window_.get());
  CommandRunner runner = Runner(starter);
  const String stopFile = dir_ + u"\\stop-hang";
  SetEnv(u"VARNEL_WAITER_STOPFILE", stopFile);
  // The stop is asked for by a message the wait dispatches, as a click on
  // "Detener Proceso" would be.
  struct PingStop final : IStopSignal {
    explicit PingStop(const WindowRecord& r) : record(r) {}
    bool StopRequested() const override { return record.pings.load() > 0; }
    const WindowRecord& record;
  } stop(record_);
  const ULONGLONG start = ::GetTickCount64();
  {
    HWND target = window_.get();
    Later ping(300ms, [target] { ::PostMessageW(target, kPing, 0, 0); });
    try {
      runner.EjecutarYEsperar(Waiter(u"waiter_hang.exe"), u"", u"el servidor", &stop);
      ADD_FAILURE() << "a program not waited for fails its item";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message().rfind(u"No se esperó a que el servidor terminara", 0), 0u);
    }
  }
  EXPECT_LT(::GetTickCount64() - start, 5000u);
  EXPECT_FALSE(pump_.Terminated());
  // Not killed: it still runs until told to stop.
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
  const UniqueHandle owned(snapshot);
  int running = 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
       more = ::Process32NextW(snapshot, &entry))
    if (::lstrcmpiW(entry.szExeFile, L"waiter_hang.exe") == 0) ++running;
  EXPECT_GE(running, 1);
  FILE* file = ::_wfopen(W(stopFile), L"wb");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  std::this_thread::sleep_for(500ms);
  ::DeleteFileW(W(stopFile));
}
