#pragma once
// While a modal box or dialog of the application is open, its other
// top-level windows are disabled; they get their state back afterwards.

#include <windows.h>

#include <vector>

namespace varnel::win32 {

class TaskWindowsDisabled {
 public:
  explicit TaskWindowsDisabled(HWND except) : except_(except) {
    ::EnumThreadWindows(::GetCurrentThreadId(), &TaskWindowsDisabled::Visit,
                        reinterpret_cast<LPARAM>(this));
    for (HWND hwnd : disabled_) ::EnableWindow(hwnd, FALSE);
  }
  TaskWindowsDisabled(const TaskWindowsDisabled&) = delete;
  TaskWindowsDisabled& operator=(const TaskWindowsDisabled&) = delete;
  ~TaskWindowsDisabled() {
    for (HWND hwnd : disabled_)
      if (::IsWindow(hwnd)) ::EnableWindow(hwnd, TRUE);
  }

 private:
  static BOOL CALLBACK Visit(HWND hwnd, LPARAM self) {
    auto* me = reinterpret_cast<TaskWindowsDisabled*>(self);
    if (hwnd != me->except_ && ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd))
      me->disabled_.push_back(hwnd);
    return TRUE;
  }
  HWND except_;
  std::vector<HWND> disabled_;
};

}  // namespace varnel::win32
