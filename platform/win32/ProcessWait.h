#pragma once
// The two looks at a started process that every IStartedProcess of the
// Win32 layer gives: has it ended, and the wait for its end or for input.

#include <windows.h>

#include "platform/ProcessStarter.h"

namespace varnel::win32 {

// Whether the process has ended, without waiting; EOSError when the handle
// cannot be waited on.
bool ProcessEnded(HANDLE process);

// Sleeps until the process has ended or input is waiting in the calling
// thread's queue (already queued input counts too).
WaitResult WaitForProcessOrInput(HANDLE process);

}  // namespace varnel::win32
