#pragma once
// ICapturingStarter over CreateProcessW: no shell, no search, no console
// window; standard output and error go to one pipe read by a thread of our
// own, standard input is the NUL device. Only those handles are inherited
// (PROC_THREAD_ATTRIBUTE_HANDLE_LIST), whatever other inheritable handles
// the process holds.

#include <windows.h>

#include "platform/CapturedProcess.h"

namespace varnel::win32 {

class CapturingStarterWin32 final : public ICapturingStarter {
 public:
  // `drainMs`: how long Output() waits, after the end, for a program the
  // tool started and that still holds the pipe.
  explicit CapturingStarterWin32(DWORD drainMs = 2000) noexcept : drainMs_(drainMs) {}
  std::unique_ptr<ICapturedProcess> StartCaptured(const String& programPath,
                                                  const String& parameters,
                                                  String& refusal) override;

 private:
  DWORD drainMs_;
};

}  // namespace varnel::win32
