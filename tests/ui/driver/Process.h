#pragma once
// A program the scenario started: its process handle, its id, its end.

#include <windows.h>

#include <utility>
#include <vector>

#include "platform/win32/Unique.h"
#include "runtime/String.h"
#include "tests/ui/driver/Wait.h"

namespace varnel::ui {

struct ProcessOptions {
  String Path;              // full path of the program
  String Arguments;         // appended to the quoted path, after one blank
  String WorkingDirectory;  // empty: the driver's own
  // Added to (or replacing, by name without regard to case) the driver's
  // own environment.
  std::vector<std::pair<String, String>> Environment;
  bool Hidden = false;  // SW_HIDE in the start-up info
  // When set, the program's standard output and error go to this file
  // (created or truncated), for console tools such as varnel-driver.exe.
  String OutputFile;
};

// Owns a started process. On destruction a process still running is killed
// (a failing scenario must not leave windows behind), unless Detach() was
// called.
class Process {
 public:
  explicit Process(const ProcessOptions& options);
  Process(const String& path, const String& arguments);
  Process(Process&&) noexcept = default;
  Process& operator=(Process&&) noexcept = default;
  ~Process();

  // True when the process ended within `timeout`.
  bool Wait(Milliseconds timeout) const;
  // Waits and throws TimeoutError when the process is still running after it.
  void WaitForExit(Milliseconds timeout) const;
  bool IsRunning() const;
  // The exit code; throws Exception while the process runs.
  DWORD ExitCode() const;
  // TerminateProcess and wait (up to 5 s) for the end.
  void Kill(UINT exitCode = 1) const;
  // Leave the process running when this object goes.
  void Detach() noexcept { detached_ = true; }

  DWORD Id() const noexcept { return id_; }
  DWORD MainThreadId() const noexcept { return threadId_; }
  HANDLE Handle() const noexcept { return handle_.get(); }
  // Waits until the process waits for input (WaitForInputIdle), bounded.
  void WaitForInputIdle(Milliseconds timeout) const;

 private:
  win32::UniqueHandle handle_;
  DWORD id_ = 0;
  DWORD threadId_ = 0;
  bool detached_ = false;
};

// The command line CreateProcessW gets: the path in quotes, then the
// arguments after one blank (none when empty).
String ComposeCommandLine(const String& path, const String& arguments);

// The driver's environment with `overrides` applied, as a UTF-16 block of
// "NAME=value\0" entries ended by an extra "\0".
String ComposeEnvironmentBlock(const std::vector<std::pair<String, String>>& overrides);

// The PATH entry of an environment override that puts `folder` first on
// the driver's own PATH: where a started Varnel.exe may find DComPerm.exe.
std::pair<String, String> PathWith(StringView folder);

}  // namespace varnel::ui
