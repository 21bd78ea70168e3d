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
  explicit ProcessStarterWin32(HWND owner) noexcept : owner_(owner) {}
  std::unique_ptr<IStartedProcess> Start(const String& program, const String& parameters,
                                         String& refusal) override;

 private:
  HWND owner_;
};

}  // namespace varnel::win32
