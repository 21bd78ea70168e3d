// Servers that take long, never end, or end with the code that reads as
// "still active": the wait for them keeps both windows live, costs no
// processor time, ends when the process ends, and closing the program or
// pressing "Detener Proceso" ends it at once.

#include <chrono>

#include "tests/ui/scenarios/fault_support.h"

namespace varnel::ui::fault {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Writes the waiter's stop file when the test ends, however it ends, so that
// no hanging server outlives it.
struct StopOnExit {
  String file;
  ~StopOnExit() {
    try {
      if (!FileExists(file)) WriteTextFile(file, u"stop");
    } catch (...) {
    }
  }
};

TEST(FaultWait, HangingServerKeepsWindowsLiveAndClosingTheProgramEndsTheWait) {
  ToolFolder tools(u"FxHang-tools");
  TempFolder servers(u"FxHang-servers");
  Registrations registrations;
  const String hangName = u"FxWaitHang";
  const String stopFile = tools.Path() + u"\\hang.stop";
  for (const String name : {u"FxWaitHangA", u"FxWaitHangB", u"FxWaitHangC"}) {
    registrations.Add(name);
    CopyFileTo(ServerFixture(u"server.exe"), servers.File(name + u".exe"));
  }
  registrations.Add(hangName);
  CopyFileTo(CrasherFixture(), servers.File(hangName + u".exe"));

  const StopOnExit releaseTheWaiter{stopFile};

  Varnel varnel(tools, {{u"VARNEL_WAITER_STOPFILE", stopFile}});
  varnel.Select(u"Usuario interactivo");
  varnel.PickFolder(servers.Path());
  varnel.Accept();

  const HWND progress = varnel.WaitForProgressWindow();
  WaitUntil([&] { return ProgressShows(progress, hangName + u" - Servidor DCOM defectuoso"); },
            kStepTimeout, u"the hanging server's label in the progress window");
  ASSERT_EQ(ProcessesNamed(hangName + u".exe").size(), 1u) << "the hanging server is not running";

  // Both windows answer sent messages while the run waits for the server.
  for (const HWND window : {varnel.Window(), progress}) {
    EXPECT_NO_THROW(SendBounded(window, WM_NULL, 0, 0));
    const auto length = SendBounded(window, WM_GETTEXTLENGTH, 0, 0);
    EXPECT_EQ(static_cast<std::size_t>(length), ReadText(window).size());
  }
  EXPECT_EQ(U8(ReadText(progress)), U8(kProgressCaption));
  EXPECT_EQ(U8(ReadText(varnel.PathEdit())), U8(servers.Path()));
  EXPECT_TRUE(ProgressShows(progress, u"Registrando Servidores DCOM..."));

  // "Ver Detalles" folds the details away while the run is inside the wait.
  const int unfolded = OuterHeight(progress);
  Click(GetChild(progress, ControlQuery{u"&Ver Detalles", u"VarnelFlatButton", {}, false}));
  EXPECT_TRUE(TryWaitUntil([&] { return OuterHeight(progress) < unfolded; }, kStepTimeout))
      << "the progress window did not fold (height stays " << unfolded << ")";

  // Closing the program ends the wait; the rest of the run starts its
  // programs without waiting and the summary comes while the hanging
  // server still runs.
  const Clock::time_point closed = Clock::now();
  Close(varnel.Window());
  const String summary = varnel.FinishRun(Milliseconds(20000));
  const double secondsToSummary = SecondsSince(closed);
  // The hanging server never registered, so its identity step failed.
  EXPECT_EQ(U8(FirstLine(summary)), U8(kSummaryErrors));
  EXPECT_LT(secondsToSummary, 15.0);
  EXPECT_EQ(ProcessesNamed(hangName + u".exe").size(), 1u)
      << "the hanging server should still run on its own";
  varnel.Proc().WaitForExit(kStepTimeout);
  std::cout << "[ measured ] close to summary: " << secondsToSummary << " s\n";

  // Every other server was started (those after the hanging one without
  // waiting), so each registers itself in the end.
  for (const String name : {u"FxWaitHangA", u"FxWaitHangB", u"FxWaitHangC"}) {
    EXPECT_TRUE(TryWaitUntil([&] { return RegisteredClsid(name).has_value(); }, kStepTimeout))
        << U8(name) << " was never registered";
  }
  EXPECT_FALSE(RegisteredClsid(hangName).has_value());

  // Release the hanging server: it ends, and registers after all.
  WriteTextFile(stopFile, u"stop");
  EXPECT_TRUE(
      TryWaitUntil([&] { return ProcessesNamed(hangName + u".exe").empty(); }, kStepTimeout));
  EXPECT_TRUE(TryWaitUntil([&] { return RegisteredClsid(hangName).has_value(); }, kStepTimeout));
}

TEST(FaultWait, DetenerProcesoEndsTheWaitForAHangingServerAndLeavesItRunning) {
  ToolFolder tools(u"FxStop-tools");
  TempFolder servers(u"FxStop-servers");
  Registrations registrations;
  const String hangName = u"FxStopHang";
  const String later = u"FxStopDespues";
  const String stopFile = tools.Path() + u"\\hang.stop";
  registrations.Add(hangName);
  registrations.Add(later);
  const String hangPath = servers.File(hangName + u".exe");
  CopyFileTo(CrasherFixture(), hangPath);
  // Subfolders come after the folder's own files: this one is reached later.
  CopyFileTo(ServerFixture(u"server.exe"), JoinPath(servers.MakeFolder(u"sub"), later + u".exe"));

  const StopOnExit releaseTheWaiter{stopFile};

  Varnel varnel(tools, {{u"VARNEL_WAITER_STOPFILE", stopFile}});
  varnel.Select(u"Usuario interactivo");
  varnel.PickFolder(servers.Path());
  varnel.Accept();
  const HWND progress = varnel.WaitForProgressWindow();
  WaitUntil([&] { return ProcessesNamed(hangName + u".exe").size() == 1; }, kStepTimeout,
            u"the hanging server running");

  const Clock::time_point pressed = Clock::now();
  Click(GetChild(progress, ControlQuery{u"Detener Proceso", u"VarnelFlatButton", {}, false}));
  const MessageBoxInfo box = varnel.WaitForBox(Milliseconds(15000));
  const double secondsToSummary = SecondsSince(pressed);
  std::cout << "[ measured ] stop to summary: " << secondsToSummary << " s\n";
  EXPECT_LT(secondsToSummary, 10.0);
  EXPECT_EQ(U8(box.Text),
            U8(kSummaryErrors + u"\n\n" + hangPath +
               u": No se esperó a que el servidor terminara: el proceso se detuvo y el programa "
               u"quedó en ejecución.\nProceso detenido: 2 servidores sin procesar."));
  EXPECT_EQ(varnel.ProgressWindow(), nullptr);
  Press(box, IDOK);

  // Never killed: the hanging server still runs. Nothing after it started,
  // and DComPerm never ran.
  EXPECT_EQ(ProcessesNamed(hangName + u".exe").size(), 1u);
  EXPECT_FALSE(RegisteredClsid(later).has_value());
  EXPECT_TRUE(tools.Calls().empty());
  varnel.ExpectIdleAndResponsive();

  // Released, it ends and registers on its own.
  WriteTextFile(stopFile, u"stop");
  EXPECT_TRUE(TryWaitUntil([&] { return RegisteredClsid(hangName).has_value(); }, kStepTimeout));
  EXPECT_TRUE(
      TryWaitUntil([&] { return ProcessesNamed(hangName + u".exe").empty(); }, kStepTimeout));
  varnel.Quit();
}

TEST(FaultWait, WaitingForASleepingServerUsesAlmostNoProcessorTime) {
  ToolFolder tools(u"FxSleep-tools");
  TempFolder servers(u"FxSleep-servers");
  Registrations registrations;
  const String name = u"FxWaitSleeper";
  registrations.Add(name);
  CopyFileTo(CrasherFixture(), servers.File(name + u".exe"));

  // The server sleeps 6 s before it registers; 3 s of that are measured.
  Varnel varnel(tools, {{u"VARNEL_WAITER_MS", u"6000"}});
  varnel.Select(u"Usuario interactivo");
  varnel.PickFolder(servers.Path());
  varnel.Accept();
  const HWND progress = varnel.WaitForProgressWindow();
  WaitUntil([&] { return ProgressShows(progress, name + u" - "); }, kStepTimeout,
            u"the sleeping server's label");
  WaitUntil([&] { return ProcessesNamed(name + u".exe").size() == 1; }, kStepTimeout,
            u"the sleeping server running");
  Pause(Milliseconds(300));  // past the label's repaint and the launch

  const double before = CpuSeconds(varnel.Proc().Handle());
  // The counter is real: start-up and the run so far took processor time.
  ASSERT_GT(before, 0.0);
  const Clock::time_point start = Clock::now();
  Pause(Milliseconds(3000));
  const double used = CpuSeconds(varnel.Proc().Handle()) - before;
  const double elapsed = SecondsSince(start);
  ASSERT_EQ(ProcessesNamed(name + u".exe").size(), 1u) << "the server ended inside the window";
  std::cout << "[ measured ] processor time over " << elapsed << " s of waiting: " << used << " s ("
            << before << " s before)\n";
  EXPECT_LT(used, 0.5) << "the wait spins";
  // The window answers at once while the run waits.
  EXPECT_NO_THROW(SendBounded(progress, WM_NULL, 0, 0, Milliseconds(500)));

  EXPECT_EQ(U8(varnel.FinishRun(Milliseconds(20000))), U8(kSummaryOk));
  const std::optional<String> clsid = RegisteredClsid(name);
  ASSERT_TRUE(clsid.has_value());
  EXPECT_EQ(RunAsIdentifiers(tools.Calls()), std::vector<String>{*clsid});
  varnel.ExpectIdleAndResponsive();
  varnel.Quit();
}

TEST(FaultWait, ServerThatExitsWith259EndsTheWait) {
  ToolFolder tools(u"Fx259-tools");
  TempFolder servers(u"Fx259-servers");
  Registrations registrations;
  const String odd = u"FxWaitExit259";
  const String plain = u"FxWait259Plain";
  registrations.Add(odd);
  registrations.Add(plain);
  CopyFileTo(CrasherFixture(), servers.File(odd + u".exe"));
  CopyFileTo(ServerFixture(u"server.exe"), servers.File(plain + u".exe"));

  Varnel varnel(tools);
  varnel.Select(u"Usuario interactivo");
  varnel.PickFolder(servers.Path());
  const Clock::time_point start = Clock::now();
  varnel.Accept();
  // A wait that trusted the exit code would poll forever: the server's
  // 259 reads as "still active".
  EXPECT_EQ(U8(varnel.FinishRun(Milliseconds(20000))), U8(kSummaryOk));
  const double seconds = SecondsSince(start);
  std::cout << "[ measured ] run with the 259 server: " << seconds << " s\n";
  EXPECT_LT(seconds, 15.0);
  const std::optional<String> oddClsid = RegisteredClsid(odd);
  const std::optional<String> plainClsid = RegisteredClsid(plain);
  ASSERT_TRUE(oddClsid && plainClsid);
  const std::vector<String> ids = RunAsIdentifiers(tools.Calls());
  EXPECT_EQ(ids.size(), 2u);
  EXPECT_TRUE(Contains(ids, *oddClsid));
  EXPECT_TRUE(Contains(ids, *plainClsid));
  EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, ClassesKey(u"AppID\\" + *oddClsid), u"RunAs"),
            std::optional<String>(u"Interactive User"));
  varnel.ExpectIdleAndResponsive();
  varnel.Quit();
}

}  // namespace
}  // namespace varnel::ui::fault
