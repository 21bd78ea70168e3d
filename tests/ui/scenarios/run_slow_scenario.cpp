// Runs that take long enough to be watched: the progress window's texts in
// both passes, "Detener Proceso" during the first pass (slow stand-ins and
// real servers that take their time), and a second press of "&Aceptar"
// while a run is active. The slow servers are waiter copies
// that carry a server's version block and run until their stop file exists;
// the scenario writes the keys they stand for.

#include "tests/ui/scenarios/run_support.h"

namespace varnel::ui::run {
namespace {

const SessionOptions kHanging{.Environment = {{u"VARNEL_WAITER_MODE", u"hang"}}};

// A folder of real server copies and slow ones, in the search's order.
struct Folder {
  TempFolder root;
  std::vector<String> order;
  Folder(StringView name, const std::vector<String>& servers, const std::vector<String>& slow)
      : root(name) {
    for (const String& base : servers)
      CopyFileTo(ServerFixture(u"server"), root.File(base + u".exe"));
    for (const String& base : slow) {
      MakeSlowServer(root.File(base + u".exe"));
      RegisterAsServer(base, root.File(base + u".exe"));
    }
    order = SearchOrder(root.Path());
  }
  std::size_t IndexOf(const String& base) const {
    for (std::size_t i = 0; i < order.size(); ++i)
      if (FileBaseName(order[i]) == base) return i;
    throw Exception(u"not found: " + base);
  }
  std::vector<std::vector<String>> Interactive() const {
    std::vector<std::vector<String>> calls;
    for (const String& path : order)
      calls.push_back(RunAsArgs(ExpectedClsid(FileBaseName(path)), u"Interactive User"));
    return calls;
  }
};

String Label(const String& base) { return base + u" - " + kDescription; }

TEST(RunSlow, ProgressWindowShowsEachPassItemAndCounter) {
  const std::vector<String> all = {u"UxRsA", u"UxRsB", u"UxRsLento"};
  const ServerKeys keys(all);
  const Folder folder(u"UxRunSlow", {u"UxRsA", u"UxRsB"}, {u"UxRsLento"});
  const VarnelSession varnel(u"UxRunSlow", kHanging);
  varnel.Select(u"Usuario interactivo");
  varnel.Pick(folder.root.Path());
  varnel.PressAccept();

  const ProgressTexts during = varnel.WaitForItem(Label(u"UxRsLento"));
  EXPECT_EQ(U8(during.Message), "Registrando Servidores DCOM...");
  EXPECT_EQ(U8(during.Counter), std::to_string(folder.IndexOf(u"UxRsLento") + 1) + " de 3");
  const HWND progress = varnel.ProgressWindow();
  EXPECT_EQ(OwnerOf(progress), varnel.Main());
  EXPECT_EQ(U8(ReadText(progress)), U8(kProgressCaption));
  Pause(Milliseconds(300));  // the bar and the times painted
  SaveClientShot(u"progress-run.png", progress);

  // The second pass, watched closely: each item's label and counter with
  // its message, as DComPerm runs for it.
  Release(folder.root.File(u"UxRsLento.exe"));
  std::vector<std::pair<String, String>> seen;  // label, counter
  std::optional<MessageBoxInfo> summary;
  WaitUntil(
      [&] {
        if (const HWND window = varnel.ProgressWindow()) {
          const ProgressTexts texts = ReadProgress(window);
          if (texts.Message == u"Asignando permisos DCOM..." && !texts.Item.empty() &&
              (seen.empty() || seen.back().first != texts.Item))
            seen.emplace_back(texts.Item, texts.Counter);
        }
        summary = FindMessageBox(varnel.Pid());
        return summary.has_value();
      },
      Milliseconds(30000), u"the summary", Milliseconds(5));
  varnel.ExpectBox(*summary, kSummaryOk, IconKind::Information);
  varnel.Ok(*summary);
  ASSERT_FALSE(seen.empty()) << "the second pass was never seen";
  for (const auto& [label, counter] : seen) {
    const String base = label.substr(0, label.find(u' '));
    SCOPED_TRACE(U8(label));
    EXPECT_EQ(U8(label), U8(Label(base)));
    // The counter may already be the next item's when read between labels.
    const std::size_t n = folder.IndexOf(base) + 1;
    EXPECT_TRUE(counter == IntToStr(static_cast<std::int32_t>(n)) + u" de 3" ||
                counter == IntToStr(static_cast<std::int32_t>(n) - 1) + u" de 3")
        << U8(counter);
  }
  EXPECT_EQ(Printable(varnel.DComPermCalls().Argv), Printable(folder.Interactive()));
  varnel.ExpectNothingLeft(folder.root.Path());
  varnel.WaitIdle();
  varnel.CloseAndWait();
}

TEST(RunSlow, StopDuringFirstPassEndsTheWaitAndStartsNothingMore) {
  const ServerKeys keys({u"UxRdA", u"UxRdL1", u"UxRdL2"});
  const Folder folder(u"UxRunStop", {u"UxRdA"}, {u"UxRdL1", u"UxRdL2"});
  const VarnelSession varnel(u"UxRunStop", kHanging);
  varnel.Select(u"Usuario interactivo");
  varnel.Pick(folder.root.Path());
  varnel.PressAccept();

  const String first =
      folder.IndexOf(u"UxRdL1") < folder.IndexOf(u"UxRdL2") ? u"UxRdL1" : u"UxRdL2";
  const String second = first == u"UxRdL1" ? u"UxRdL2" : u"UxRdL1";
  const String firstPath = folder.root.File(first + u".exe");
  varnel.WaitForItem(Label(first));
  WaitUntil([&] { return ProcessesUnder(folder.root.Path()).size() == 1; }, kWait,
            u"the first slow server running");
  const HWND progress = varnel.ProgressWindow();
  Click(GetChild(progress, {u"Detener Proceso", {}, {}, false}));

  // The wait ends at once: the summary comes while the slow server still
  // runs, and nothing after it was started.
  const MessageBoxInfo box = varnel.WaitBox(Milliseconds(15000));
  varnel.ExpectBox(box, kSummaryErrors, IconKind::Error);
  EXPECT_EQ(varnel.ProgressWindow(), nullptr);
  const std::vector<DWORD> running = ProcessesUnder(folder.root.Path());
  ASSERT_EQ(running.size(), 1u) << "the slow server was killed, or another one started";
  EXPECT_EQ(U8(Upper(ImagePath(running.front()))), U8(Upper(firstPath)));
  std::printf("summary after the stop:\n%s\n", U8(box.Text).c_str());
  std::vector<String> expected = {
      firstPath +
          u": No se esperó a que el servidor terminara: el proceso se detuvo y el "
          u"programa quedó en ejecución.",
      u"Proceso detenido: 3 servidores sin procesar."};
  EXPECT_EQ(Joined(SummaryList(box.Text)), Joined(expected));
  varnel.Ok(box);

  // Phase 2 never began; the servers after the stop were never started.
  EXPECT_TRUE(varnel.DComPermCalls().Argv.empty());
  for (const String& path : folder.order)
    EXPECT_FALSE(RunAsOf(ExpectedClsid(FileBaseName(path))).has_value()) << U8(path);
  if (folder.IndexOf(u"UxRdA") > folder.IndexOf(first)) {
    EXPECT_FALSE(ProgIdRegistered(u"UxRdA"));
  }
  Release(firstPath);
  Release(folder.root.File(second + u".exe"));
  EXPECT_TRUE(TryWaitUntil([&] { return ProcessesUnder(folder.root.Path()).empty(); }, kWait))
      << "the released slow server did not end";
  varnel.ExpectNothingLeft();
  varnel.WaitIdle();
  varnel.CloseAndWait();
}

// Real servers that take their time to register: a stop while one of them
// registers leaves it to finish on its own, and the rest are never started.
TEST(RunSlow, StopWhileARealServerRegistersLeavesTheRestUntouched) {
  const std::vector<String> all = {u"UxRgA", u"UxRgB", u"UxRgC", u"UxRgD"};
  const ServerKeys keys(all);
  const Folder folder(u"UxRunStopReal", all, {});
  const VarnelSession varnel(u"UxRunStopReal",
                             {.Environment = {{u"VARNEL_SERVER_REGISTER_MS", u"2500"}}});
  varnel.Select(u"Usuario interactivo");
  varnel.Pick(folder.root.Path());
  varnel.PressAccept();

  const String second = FileBaseName(folder.order[1]);
  varnel.WaitForItem(Label(second));
  WaitUntil([&] { return ProcessesUnder(folder.root.Path()).size() == 1; }, kWait,
            u"the second server registering");
  Click(GetChild(varnel.ProgressWindow(), {u"Detener Proceso", {}, {}, false}));
  const MessageBoxInfo box = varnel.WaitBox(Milliseconds(15000));
  varnel.ExpectBox(box, kSummaryErrors, IconKind::Error);
  const std::vector<String> list = SummaryList(box.Text);
  ASSERT_EQ(list.size(), 2u) << U8(box.Text);
  EXPECT_EQ(U8(list[0].substr(0, folder.order[1].size() + 2)), U8(folder.order[1] + u": "));
  EXPECT_NE(list[0].find(u"No se esperó"), String::npos);
  EXPECT_EQ(U8(list[1]), "Proceso detenido: 4 servidores sin procesar.");
  varnel.Ok(box);

  // The interrupted server finishes its own registration; the first one
  // registered before the stop; the last two never ran.
  EXPECT_TRUE(TryWaitUntil([&] { return ProgIdRegistered(second); }, kWait));
  ExpectRegistered(FileBaseName(folder.order[0]), folder.order[0]);
  for (std::size_t i = 2; i < folder.order.size(); ++i)
    EXPECT_FALSE(ProgIdRegistered(FileBaseName(folder.order[i]))) << U8(folder.order[i]);
  EXPECT_TRUE(varnel.DComPermCalls().Argv.empty());
  EXPECT_TRUE(TryWaitUntil([&] { return ProcessesUnder(folder.root.Path()).empty(); }, kWait));
  varnel.ExpectNothingLeft();
  varnel.WaitIdle();
  varnel.CloseAndWait();
}

TEST(RunSlow, SecondPressWhileRunningStartsNoSecondRun) {
  const ServerKeys keys({u"UxRoA", u"UxRoLento"});
  const Folder folder(u"UxRunOnce", {u"UxRoA"}, {u"UxRoLento"});
  const VarnelSession varnel(u"UxRunOnce", kHanging);
  varnel.Select(u"Usuario interactivo");
  varnel.Pick(folder.root.Path());
  varnel.PressAccept();
  varnel.WaitForItem(Label(u"UxRoLento"));
  const std::vector<DWORD> before = ProcessesUnder(folder.root.Path());

  Click(varnel.Accept());
  PressEnter(varnel.Main());
  Pause(Milliseconds(1000));
  // Still the one run on its slow item: no new progress window, no new start.
  EXPECT_EQ(U8(ReadProgress(varnel.ProgressWindow()).Item), U8(Label(u"UxRoLento")));
  EXPECT_EQ(ProcessesUnder(folder.root.Path()), before);
  EXPECT_FALSE(FindMessageBox(varnel.Pid()).has_value());
  Release(folder.root.File(u"UxRoLento.exe"));

  varnel.Ok(varnel.ExpectSummary(kSummaryOk, IconKind::Information, Milliseconds(30000)));
  varnel.ExpectNoBox(Milliseconds(2000));
  EXPECT_EQ(varnel.ProgressWindow(), nullptr);
  EXPECT_EQ(Printable(varnel.DComPermCalls().Argv), Printable(folder.Interactive()));
  varnel.ExpectNothingLeft(folder.root.Path());
  varnel.WaitIdle();
  varnel.CloseAndWait();
}

}  // namespace
}  // namespace varnel::ui::run
