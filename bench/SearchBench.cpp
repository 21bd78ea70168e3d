// The program's own search (FileSearch over the Win32 folder enumerator),
// recursive, timed inside this process.

#include <cstdio>

#include "bench/Timing.h"
#include "platform/win32/FolderEnumeratorWin32.h"
#include "setup/FileSearch.h"

namespace varnel::bench {

int RunSearch(const Arguments& args) {
  const String folder = Option(args, u"--folder");
  const String mask = Option(args, u"--mask", u"*.exe");
  win32::FolderEnumeratorWin32 folders;
  TStringList found;
  setup::FileSearch search(folders, found);
  Stopwatch clock;
  search.BuscarArchivos(folder, mask, true);
  const double ms = clock.ElapsedMs();
  std::printf("ms=%.1f found=%d\n", ms, found.Count());
  return 0;
}

}  // namespace varnel::bench
