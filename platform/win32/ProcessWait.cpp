#include "platform/win32/ProcessWait.h"

#include "platform/win32/Errors.h"

namespace varnel::win32 {

bool ProcessEnded(HANDLE process) {
  switch (::WaitForSingleObject(process, 0)) {
    case WAIT_OBJECT_0:
      return true;
    case WAIT_TIMEOUT:
      return false;
    default:
      RaiseLastOSError();
  }
}

WaitResult WaitForProcessOrInput(HANDLE process) {
  HANDLE handles[] = {process};
  // MWMO_INPUTAVAILABLE: input that is already queued wakes us too, not
  // only input that arrives after the call.
  const DWORD result =
      ::MsgWaitForMultipleObjectsEx(1, handles, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  if (result == WAIT_OBJECT_0) return WaitResult::Ended;
  if (result == WAIT_OBJECT_0 + 1) return WaitResult::InputAvailable;
  RaiseLastOSError();
}

}  // namespace varnel::win32
