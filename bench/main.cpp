// varnel-bench.exe <benchmark> [options]: one side of one comparison of
// scripts/bench, timed inside this process.
//
//   job --folder F --cwd D [--env NAME=VALUE]...   the whole job through Varnel.exe
//   time <command line>                             a peer (cmd.exe ...) as a whole process
//   search --folder F [--mask M]                    the program's search
//   versions --folder F                             version reads, both sources
//   progress --items N                              the progress window
//   profile --folder F                              one run in this process, step by step

#include <windows.h>

#include <cstdio>

#include "bench/Timing.h"
#include "platform/win32/Text.h"
#include "runtime/Exceptions.h"

int wmain(int argc, wchar_t** argv) {
  using namespace varnel;
  using win32::FromW;
  if (argc < 2) {
    std::fputs("usage: varnel-bench.exe job|time|search|versions|progress|profile [options]\n",
               stderr);
    return 2;
  }
  bench::Arguments args;
  for (int i = 2; i < argc; ++i) args.push_back(FromW(argv[i]));
  const String which = FromW(argv[1]);
  try {
    if (which == u"job") return bench::RunJob(args);
    if (which == u"time") return bench::RunTimed(args);
    if (which == u"search") return bench::RunSearch(args);
    if (which == u"versions") return bench::RunVersions(args);
    if (which == u"progress") return bench::RunProgress(args);
    if (which == u"profile") return bench::RunProfile(args);
    std::fprintf(stderr, "unknown benchmark: %ls\n", argv[1]);
    return 2;
  } catch (const Exception& e) {
    std::fprintf(stderr, "error: %s\n", ToUtf8(e.Message()).c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "error: %s\n", e.what());
  }
  return 1;
}
