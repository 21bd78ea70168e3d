// Many servers, several runs in one program: every run completes with the
// right summary, and what the program holds comes back to its level after
// the first run.
//
// VARNEL_LOAD_SERVERS sets the number of servers (default below); the
// measured cost per server under Wine is in docs/RELIABILITY.md.

#include <chrono>
#include <cstdlib>
#include <set>

#include "platform/win32/Errors.h"
#include "tests/ui/scenarios/fault_support.h"

namespace varnel::ui::fault {
namespace {

constexpr int kDefaultServers = 100;
constexpr int kRuns = 3;

int ServerCount() {
  const char* text = std::getenv("VARNEL_LOAD_SERVERS");
  const int count = text ? std::atoi(text) : kDefaultServers;
  return count > 0 ? count : kDefaultServers;
}

String Numbered(int n) {
  String digits = IntToStr(n);
  while (digits.size() < 4) digits.insert(digits.begin(), u'0');
  return u"FxL" + digits;
}

void PrintCounters(int run, const ResourceCounters& c, double seconds) {
  std::cout << "[ measured ] run " << run << ": " << seconds << " s, working set "
            << c.WorkingSet / 1024 << " KiB, peak " << c.PeakWorkingSet / 1024 << " KiB, private "
            << c.PrivateBytes / 1024 << " KiB, handles " << c.Handles << ", GDI " << c.GdiObjects
            << ", USER " << c.UserObjects << ", CPU "
            << static_cast<double>(c.KernelTime100ns + c.UserTime100ns) / 1e7 << " s\n";
}

TEST(Load, ManyServersThreeRunsInOneProgram) {
  const int count = ServerCount();
  ToolFolder tools(u"FxLoad-tools");
  TempFolder servers(u"FxLoad-servers");
  Registrations registrations;
  // One copy, the rest hard links to it: each has its own name, so its own
  // registration, at no disk cost.
  const String original = servers.File(u"original.bin");
  CopyFileTo(ServerFixture(u"server.exe"), original);
  const auto prepared = std::chrono::steady_clock::now();
  for (int n = 0; n < count; ++n) {
    const String name = Numbered(n);
    registrations.Add(name);
    const String path = servers.File(name + u".exe");
    if (!::CreateHardLinkW(win32::W(path), win32::W(original), nullptr)) CopyFileTo(original, path);
  }
  std::cout << "[ measured ] " << count << " servers prepared in "
            << std::chrono::duration<double>(std::chrono::steady_clock::now() - prepared).count()
            << " s\n";

  Varnel varnel(tools);
  varnel.Select(u"Usuario interactivo");
  varnel.PickFolder(servers.Path());

  std::vector<ResourceCounters> after;
  std::size_t calls = 0;
  for (int run = 1; run <= kRuns; ++run) {
    const auto start = std::chrono::steady_clock::now();
    varnel.Accept();
    // Bounded by a generous time per server.
    const RunBoxes boxes = RunToSummary(varnel, Milliseconds(60000 + 2000LL * count));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(U8(boxes.Summary), U8(kSummaryOk)) << "run " << run;
    EXPECT_TRUE(boxes.ShellBoxes.empty());
    varnel.ExpectIdleAndResponsive();

    // Every server once per run, each with its own class.
    const std::vector<String> ids = RunAsIdentifiers(tools.Calls());
    EXPECT_EQ(ids.size(), calls + static_cast<std::size_t>(count)) << "run " << run;
    const std::set<String> distinct(ids.begin() + static_cast<std::ptrdiff_t>(calls), ids.end());
    EXPECT_EQ(distinct.size(), static_cast<std::size_t>(count)) << "run " << run;
    calls = ids.size();

    Pause(Milliseconds(500));  // let the last repaint settle
    after.push_back(ReadResourceCounters(varnel.Proc().Handle()));
    PrintCounters(run, after.back(), seconds);
  }
  for (int n = 0; n < count; ++n)
    EXPECT_TRUE(RegisteredClsid(Numbered(n)).has_value()) << U8(Numbered(n));

  // What the program holds after the last run is what it held after the
  // first, within a margin. Wine reports 0 for some counters of another
  // process; those are compared only where they are real.
  const ResourceCounters& first = after.front();
  const ResourceCounters& last = after.back();
  ASSERT_GT(first.WorkingSet, 0u);
  EXPECT_LE(static_cast<double>(last.WorkingSet), static_cast<double>(first.WorkingSet) * 1.2);
  EXPECT_LE(static_cast<double>(last.PeakWorkingSet),
            static_cast<double>(first.PeakWorkingSet) * 1.2);
  if (first.PrivateBytes > 0) {
    EXPECT_LE(static_cast<double>(last.PrivateBytes),
              static_cast<double>(first.PrivateBytes) * 1.2);
  }
  if (first.Handles > 0) {
    EXPECT_LE(last.Handles, first.Handles + 10);
  }
  if (first.GdiObjects > 0) {
    EXPECT_LE(last.GdiObjects, first.GdiObjects + 10);
  }
  if (first.UserObjects > 0) {
    EXPECT_LE(last.UserObjects, first.UserObjects + 10);
  }
  varnel.Quit();
}

}  // namespace
}  // namespace varnel::ui::fault
