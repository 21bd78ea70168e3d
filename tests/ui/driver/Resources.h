#pragma once
// What another process holds, for load tests: handles, GDI and USER
// objects, private memory and CPU time.

#include <windows.h>

#include <cstdint>

namespace varnel::ui {

// Wine 8 answers 0 for the handle count, the GDI and USER object counts and
// the private bytes of another process; the working set and the CPU times
// are real there. On Windows all of them are.
struct ResourceCounters {
  DWORD Handles = 0;               // GetProcessHandleCount
  DWORD GdiObjects = 0;            // GetGuiResources(GR_GDIOBJECTS)
  DWORD UserObjects = 0;           // GetGuiResources(GR_USEROBJECTS)
  std::uint64_t PrivateBytes = 0;  // PROCESS_MEMORY_COUNTERS_EX::PrivateUsage
  std::uint64_t WorkingSet = 0;
  std::uint64_t PeakWorkingSet = 0;
  std::uint64_t KernelTime100ns = 0;  // GetProcessTimes
  std::uint64_t UserTime100ns = 0;
};

ResourceCounters ReadResourceCounters(HANDLE process);
ResourceCounters ReadResourceCounters(DWORD processId);

}  // namespace varnel::ui
