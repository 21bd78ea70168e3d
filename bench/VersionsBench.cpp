// GetEXEVersionData over every .exe of one folder, once through version.dll
// and once through the portable reader, in the same process on the same
// files. A first untimed pass brings the files into the cache, so neither
// side pays for the disk.

#include <cstdio>
#include <vector>

#include "bench/Timing.h"
#include "platform/win32/FolderEnumeratorWin32.h"
#include "platform/win32/VersionSourceWin32.h"
#include "runtime/Exceptions.h"
#include "versioninfo/FileBytes.h"
#include "versioninfo/PeVersionSource.h"
#include "versioninfo/VersionInfo.h"

namespace varnel::bench {

using namespace varnel::versioninfo;

namespace {

struct Pass {
  double ms = 0;
  int failures = 0;
  String description;  // of the first file, to show both read the same
};

Pass ReadAll(IVersionSource& source, const std::vector<String>& files) {
  Pass pass;
  Stopwatch clock;
  for (const String& path : files) {
    TEXEVersionData data;
    try {
      GetEXEVersionData(source, path, data);
    } catch (const std::exception&) {
      ++pass.failures;
    }
    if (&path == &files.front()) pass.description = data.FileDescription;
  }
  pass.ms = clock.ElapsedMs();
  return pass;
}

}  // namespace

int RunVersions(const Arguments& args) {
  const String folder = Option(args, u"--folder");
  std::vector<String> files;
  win32::FolderEnumeratorWin32 folders;
  folders.Enumerate(folder + u"\\*.exe", [&](const FolderEntry& entry) {
    if ((entry.Attributes & kAttributeDirectory) == 0) files.push_back(folder + u"\\" + entry.Name);
  });
  if (files.empty()) throw Exception(u"no .exe in " + folder);

  win32::VersionSourceWin32 system;
  StreamFileReader reader;
  PeVersionSource portable(reader);
  ReadAll(system, files);
  const Pass win32Pass = ReadAll(system, files);
  const Pass portablePass = ReadAll(portable, files);
  std::printf("files=%zu win32_ms=%.1f portable_ms=%.1f failures=%d,%d same=%d\n", files.size(),
              win32Pass.ms, portablePass.ms, win32Pass.failures, portablePass.failures,
              win32Pass.description == portablePass.description ? 1 : 0);
  return win32Pass.failures + portablePass.failures == 0 ? 0 : 1;
}

}  // namespace varnel::bench
