#include "platform/win32/ProcessStarterWin32.h"

#include <shellapi.h>

#include "platform/win32/Errors.h"
#include "platform/win32/ProcessWait.h"
#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"

namespace varnel::win32 {

namespace {

class StartedProcessWin32 final : public IStartedProcess {
 public:
  explicit StartedProcessWin32(HANDLE process) noexcept : process_(process) {}

  bool HasHandle() const override { return static_cast<bool>(process_); }

  bool Ended() override { return ProcessEnded(process_.get()); }
  WaitResult WaitOnce() override { return WaitForProcessOrInput(process_.get()); }

 private:
  UniqueHandle process_;
};

}  // namespace

std::unique_ptr<IStartedProcess> ProcessStarterWin32::Start(const String& program,
                                                            const String& parameters,
                                                            String& refusal) {
  SHELLEXECUTEINFOW request{};
  request.cbSize = sizeof(request);
  // Silent: no box of the shell's, and a console of the program's own (kept
  // hidden by SW_HIDE), so that a Ctrl+C typed in ours, which only stops the
  // run, does not end a program half-way through writing the registry, and
  // what a console tool prints does not mix into our lines.
  request.fMask =
      SEE_MASK_NOCLOSEPROCESS | (silent_ ? SEE_MASK_FLAG_NO_UI | SEE_MASK_NO_CONSOLE : 0);
  request.hwnd = owner_;
  request.lpVerb = nullptr;
  request.lpFile = W(program);
  request.lpParameters = W(parameters);  // "" stays "", never null
  request.lpDirectory = nullptr;
  request.nShow = SW_HIDE;
  if (!::ShellExecuteExW(&request)) {
    // The last error says why; the shell's own code (below 32, mostly the
    // same numbers) stands in when it is not set.
    DWORD code = ::GetLastError();
    if (code == ERROR_SUCCESS)
      code = static_cast<DWORD>(reinterpret_cast<INT_PTR>(request.hInstApp));
    refusal = SystemErrorText(code);
    while (!refusal.empty() && refusal.back() <= u' ') refusal.pop_back();
    if (refusal.empty()) refusal = u"error " + IntToStr(code);
    return nullptr;
  }
  return std::make_unique<StartedProcessWin32>(request.hProcess);
}

}  // namespace varnel::win32
