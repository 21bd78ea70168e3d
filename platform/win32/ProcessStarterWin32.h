#pragma once
// IProcessStarter over ShellExecuteExW: the shell resolves bare names and
// file associations and shows its own error box, owned by `owner`, when it
// cannot start the file.

#include <windows.h>

#include "platform/ProcessStarter.h"

namespace varnel::win32 {

class ProcessStarterWin32 final : public IProcessStarter {
 public:
  // `owner`: the application's hidden top-level window (may be null).
  // `silent`: for a run nobody watches: the shell shows no box of its own,
  // and a console program gets a console of its own instead of ours.
  explicit ProcessStarterWin32(HWND owner, bool silent = false) noexcept
      : owner_(owner), silent_(silent) {}
  std::unique_ptr<IStartedProcess> Start(const String& program, const String& parameters,
                                         String& refusal) override;

 private:
  HWND owner_;
  bool silent_;
};

}  // namespace varnel::win32
