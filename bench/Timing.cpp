#include "bench/Timing.h"

#include <cwchar>

namespace varnel::bench {

Stopwatch::Stopwatch() {
  ::QueryPerformanceFrequency(&frequency_);
  Restart();
}

void Stopwatch::Restart() { ::QueryPerformanceCounter(&start_); }

double Stopwatch::ElapsedMs() const {
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 /
         static_cast<double>(frequency_.QuadPart);
}

String Option(const Arguments& args, StringView name, const String& fallback) {
  for (std::size_t i = 0; i + 1 < args.size(); ++i)
    if (args[i] == name) return args[i + 1];
  return fallback;
}

std::vector<String> Options(const Arguments& args, StringView name) {
  std::vector<String> values;
  for (std::size_t i = 0; i + 1 < args.size(); ++i)
    if (args[i] == name) values.push_back(args[i + 1]);
  return values;
}

int IntOption(const Arguments& args, StringView name, int fallback) {
  const String text = Option(args, name);
  if (text.empty()) return fallback;
  return static_cast<int>(std::wcstol(reinterpret_cast<const wchar_t*>(text.c_str()), nullptr, 10));
}

}  // namespace varnel::bench
