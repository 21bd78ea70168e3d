#pragma once
// What every benchmark of varnel-bench.exe shares: a wall clock with the
// resolution of the performance counter, the command line as UTF-16
// arguments, and the output line.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "runtime/Exceptions.h"
#include "runtime/String.h"

namespace varnel::bench {

class Stopwatch {
 public:
  Stopwatch();
  void Restart();
  double ElapsedMs() const;

 private:
  LARGE_INTEGER frequency_{};
  LARGE_INTEGER start_{};
};

using Arguments = std::vector<String>;

// The value after `name` ("--folder X"), or `fallback`.
String Option(const Arguments& args, StringView name, const String& fallback = {});
// Every value after each occurrence of `name`.
std::vector<String> Options(const Arguments& args, StringView name);
int IntOption(const Arguments& args, StringView name, int fallback);

// The benchmarks; each prints one line of name=value pairs and returns the
// process exit code.
int RunJob(const Arguments& args);
int RunTimed(const Arguments& args);
int RunSearch(const Arguments& args);
int RunVersions(const Arguments& args);
int RunProgress(const Arguments& args);
int RunProfile(const Arguments& args);

}  // namespace varnel::bench
