#pragma once
// While a modal box or dialog of the application is open, its other
// top-level windows are disabled; they get their state back afterwards.

#include <windows.h>

#include <exception>
#include <utility>
#include <vector>

namespace varnel::win32 {

class TaskWindowsDisabled {
 public:
  explicit TaskWindowsDisabled(HWND except) : except_(except) {
    ::EnumThreadWindows(::GetCurrentThreadId(), &TaskWindowsDisabled::Visit,
                        reinterpret_cast<LPARAM>(this));
    // What stopped the enumeration travels on from here, outside the
    // callback; nothing has been disabled yet.
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    for (HWND hwnd : disabled_) ::EnableWindow(hwnd, FALSE);
  }
  TaskWindowsDisabled(const TaskWindowsDisabled&) = delete;
  TaskWindowsDisabled& operator=(const TaskWindowsDisabled&) = delete;
  ~TaskWindowsDisabled() {
    for (HWND hwnd : disabled_)
      if (::IsWindow(hwnd)) ::EnableWindow(hwnd, TRUE);
  }

 private:
  // No exception may cross the system's callback: the first one is kept
  // and the enumeration stopped.
  static BOOL CALLBACK Visit(HWND hwnd, LPARAM self) noexcept {
    auto* me = reinterpret_cast<TaskWindowsDisabled*>(self);
    try {
      if (hwnd != me->except_ && ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd))
        me->disabled_.push_back(hwnd);
      return TRUE;
    } catch (...) {
      if (!me->failure_) me->failure_ = std::current_exception();
      return FALSE;
    }
  }
  HWND except_;
  std::vector<HWND> disabled_;
  std::exception_ptr failure_;
};

}  // namespace varnel::win32
