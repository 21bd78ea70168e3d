// A peer run as a whole process (cmd.exe with a batch, dir /s ...): its
// start, its work and its end, timed from here. Its output goes where ours
// goes; callers redirect inside the command when they want it gone.

#include <cstdio>

#include "bench/Timing.h"
#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"
#include "runtime/Exceptions.h"

namespace varnel::bench {

int RunTimed(const Arguments& args) {
  if (args.empty()) throw Exception(u"time needs a command line");
  String commandLine = args[0];
  for (std::size_t i = 1; i < args.size(); ++i) commandLine += u" " + args[i];

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  Stopwatch clock;
  if (!::CreateProcessW(nullptr, const_cast<wchar_t*>(win32::W(commandLine)), nullptr, nullptr,
                        TRUE, 0, nullptr, nullptr, &startup, &info))
    win32::RaiseLastOSError();
  win32::UniqueHandle process(info.hProcess);
  win32::UniqueHandle thread(info.hThread);
  ::WaitForSingleObject(process.get(), INFINITE);
  const double ms = clock.ElapsedMs();
  DWORD code = 0;
  ::GetExitCodeProcess(process.get(), &code);
  std::printf("ms=%.1f exit=%lu\n", ms, static_cast<unsigned long>(code));
  return 0;
}

}  // namespace varnel::bench
