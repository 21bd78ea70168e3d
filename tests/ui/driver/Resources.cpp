#include "tests/ui/driver/Resources.h"

#include <psapi.h>

#include "platform/win32/Errors.h"
#include "platform/win32/Unique.h"

namespace varnel::ui {

namespace {

std::uint64_t Ticks(const FILETIME& time) {
  return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

}  // namespace

ResourceCounters ReadResourceCounters(HANDLE process) {
  ResourceCounters counters;
  if (!::GetProcessHandleCount(process, &counters.Handles)) win32::RaiseLastOSError();
  counters.GdiObjects = ::GetGuiResources(process, GR_GDIOBJECTS);
  counters.UserObjects = ::GetGuiResources(process, GR_USEROBJECTS);
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof(memory);
  if (!::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                              sizeof(memory)))
    win32::RaiseLastOSError();
  counters.PrivateBytes = memory.PrivateUsage;
  counters.WorkingSet = memory.WorkingSetSize;
  counters.PeakWorkingSet = memory.PeakWorkingSetSize;
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) win32::RaiseLastOSError();
  counters.KernelTime100ns = Ticks(kernel);
  counters.UserTime100ns = Ticks(user);
  return counters;
}

ResourceCounters ReadResourceCounters(DWORD processId) {
  win32::UniqueHandle process(
      ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
  if (!process) win32::RaiseLastOSError();
  return ReadResourceCounters(process.get());
}

}  // namespace varnel::ui
