#include "tests/ui/driver/Wait.h"

#include <windows.h>

namespace varnel::ui {

bool TryWaitUntil(const std::function<bool()>& condition, Milliseconds timeout, Milliseconds poll) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Pause(poll);
  }
}

void WaitUntil(const std::function<bool()>& condition, Milliseconds timeout, StringView what,
               Milliseconds poll) {
  if (!TryWaitUntil(condition, timeout, poll)) throw TimeoutError(TimeoutMessage(what, timeout));
}

String TimeoutMessage(StringView what, Milliseconds timeout) {
  return u"Timed out after " + IntToStr(timeout.count()) + u" ms waiting for " + String(what);
}

void Pause(Milliseconds duration) { ::Sleep(static_cast<DWORD>(duration.count())); }

}  // namespace varnel::ui
