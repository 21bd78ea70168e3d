#include "app/Unattended.h"

#include <windows.h>
// after windows.h, which it builds on
#include <shellapi.h>

#include <atomic>

#include "app/ComSession.h"
#include "app/MessagePump.h"
#include "app/Services.h"
#include "platform/win32/Errors.h"
#include "platform/win32/StandardStream.h"
#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"
#include "setup/JsonReport.h"
#include "setup/UnattendedRun.h"

namespace varnel::app {

namespace {

void WriteLines(DWORD which, const String& text) {
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(u'\n', start);
    win32::WriteStandardLine(which, text.substr(start, end - start));
    if (end == String::npos) return;
    start = end + 1;
  }
}

// Ctrl+C and Ctrl+Break: the console's "Detener Proceso". The handler runs
// on a thread of the system's; it raises the flag and wakes the main thread,
// whose wait for a started program then sees the stop at once.
class ConsoleStop final : public setup::IStopSignal {
 public:
  ConsoleStop() : thread_(::GetCurrentThreadId()) {
    active_.store(this);
    ::SetConsoleCtrlHandler(&ConsoleStop::Handler, TRUE);
  }
  ConsoleStop(const ConsoleStop&) = delete;
  ConsoleStop& operator=(const ConsoleStop&) = delete;
  ~ConsoleStop() override {
    ::SetConsoleCtrlHandler(&ConsoleStop::Handler, FALSE);
    active_.store(nullptr);
  }
  bool StopRequested() const override { return requested_.load(); }

 private:
  static BOOL WINAPI Handler(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    if (ConsoleStop* stop = active_.load()) {
      stop->requested_.store(true);
      ::PostThreadMessageW(stop->thread_, WM_NULL, 0, 0);
    }
    return TRUE;
  }

  // The system's handler takes no context: this is the one place that
  // tells it which run to stop, for as long as the run lasts.
  static inline std::atomic<ConsoleStop*> active_{nullptr};
  const DWORD thread_;
  std::atomic<bool> requested_{false};
};

// A timer of this thread, posting WM_TIMER every `ms` (none for 0), killed
// on every way out.
class ThreadTimer {
 public:
  explicit ThreadTimer(UINT ms) : id_(ms != 0 ? ::SetTimer(nullptr, 0, ms, nullptr) : 0) {}
  ThreadTimer(const ThreadTimer&) = delete;
  ThreadTimer& operator=(const ThreadTimer&) = delete;
  ~ThreadTimer() {
    if (id_ != 0) ::KillTimer(nullptr, id_);
  }

 private:
  UINT_PTR id_;
};

String EnvironmentVariable(const String& name) {
  std::vector<wchar_t> buffer(256);
  for (;;) {
    ::SetLastError(ERROR_SUCCESS);
    const DWORD length =
        ::GetEnvironmentVariableW(win32::W(name), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};  // not set, or empty
    if (length < buffer.size()) return win32::FromW(buffer.data(), length);
    buffer.resize(length);
  }
}

// Reads the variable and removes it from this process's environment, so
// that no program the run starts inherits the password.
String TakeEnvironmentVariable(const String& name) {
  if (name.empty()) return {};  // no /password-env
  const String value = EnvironmentVariable(name);
  ::SetEnvironmentVariableW(win32::W(name), nullptr);
  return value;
}

// Creates (or empties) the report file.
win32::UniqueFile CreateReport(const String& path) {
  return win32::UniqueFile(::CreateFileW(win32::W(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void WriteReportLine(const win32::UniqueFile& report, const std::string& line) {
  const std::string bytes = line + "\n";
  DWORD written = 0;
  if (!::WriteFile(report.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
    win32::RaiseLastOSError();
}

int Run(const std::vector<String>& arguments) {
  setup::UnattendedOptions options;
  try {
    options = setup::ParseUnattendedOptions(arguments);
  } catch (const setup::EUsageError& e) {
    WriteLines(STD_ERROR_HANDLE, e.Message());
    WriteLines(STD_ERROR_HANDLE, setup::UnattendedUsage());
    // An earlier run's report must not be taken for this one's.
    if (const std::optional<String> log = setup::LogPathOf(arguments)) {
      if (const win32::UniqueFile report = CreateReport(*log))
        WriteReportLine(report, setup::ReportSummaryLine({.Result = "refused",
                                                          .ExitCode = setup::kExitRefused,
                                                          .Reason = e.Message()}));
    }
    return setup::kExitRefused;
  }
  if (options.Help) {
    WriteLines(STD_OUTPUT_HANDLE, setup::UnattendedUsage());
    return setup::kExitSuccess;
  }

  // The report is created (or emptied) before anything runs, so a file that
  // cannot be written refuses the job instead of losing its result.
  win32::UniqueFile report;
  if (!options.LogPath.empty()) {
    report = CreateReport(options.LogPath);
    if (!report) {
      WriteLines(STD_ERROR_HANDLE, u"No se pudo crear el informe " + options.LogPath + u": " +
                                       win32::SystemErrorText(::GetLastError()));
      return setup::kExitRefused;
    }
  }

  // Nobody is there to close a box of the system's: a server that crashes
  // must end, not wait for one. Started programs inherit this mode.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);

  OleSession ole;
  // What arrives on this thread (the stop's wake-up, messages of COM) is
  // taken off the queue by the same pump as the window's.
  MessagePump pump;
  Services services(nullptr, /*silent=*/true, pump);

  setup::UnattendedOutput output;
  output.Line = [](const String& line) { WriteLines(STD_OUTPUT_HANDLE, line); };
  output.ErrorLine = [](const String& line) { WriteLines(STD_ERROR_HANDLE, line); };
  if (report) {
    output.Report = [&report](const std::string& line) { WriteReportLine(report, line); };
  }
  const String password = TakeEnvironmentVariable(options.PasswordVariable);
  ConsoleStop stop;
  // A wait sleeps until its program ends or a message arrives: with a bound,
  // a thread timer's message wakes it to look at the time.
  const ThreadTimer wake(options.TimeoutSeconds != 0 ? 250 : 0);
  return setup::RunUnattended(options, password, services.Job(), stop, output);
}

}  // namespace

std::vector<String> CommandLineArguments() {
  int count = 0;
  const win32::UniqueArgv argv(::CommandLineToArgvW(::GetCommandLineW(), &count));
  if (!argv) win32::RaiseLastOSError();
  std::vector<String> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(win32::FromW(argv.get()[i]));
  return arguments;
}

int RunUnattended(const std::vector<String>& arguments) noexcept {
  try {
    return Run(arguments);
  } catch (...) {
    // Nothing of the run is left to report it: say why on standard error.
    win32::WriteStandardLine(STD_ERROR_HANDLE,
                             u"Varnel.exe: " + PresentableMessage(CurrentExceptionMessage()));
    return setup::kExitErrors;
  }
}

}  // namespace varnel::app
