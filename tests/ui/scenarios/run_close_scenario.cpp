// Closing the setup window while a run waits for a server: the run goes
// through its remaining items without waiting, shows its summary, and the
// program ends once the summary is answered.

#include "tests/ui/scenarios/run_support.h"

namespace varnel::ui::run {
namespace {

TEST(RunClose, ClosingDuringARunFinishesItWithoutWaitingThenEnds) {
  const ServerKeys keys({u"UxRcA", u"UxRcLento"});
  const TempFolder root(u"UxRunClose");
  CopyFileTo(ServerFixture(u"server"), root.File(u"UxRcA.exe"));
  const String slow = root.File(u"UxRcLento.exe");
  MakeSlowServer(slow);
  RegisterAsServer(u"UxRcLento", slow);

  VarnelSession varnel(u"UxRunClose", {.Environment = {{u"VARNEL_WAITER_MODE", u"hang"}}});
  varnel.Select(u"Usuario interactivo");
  varnel.Pick(root.Path());
  varnel.PressAccept();
  varnel.WaitForItem(u"UxRcLento - " + kDescription);

  Close(varnel.Main());
  // The summary comes while the slow server is still running: nobody waits
  // for it any more.
  const MessageBoxInfo box = varnel.WaitBox(Milliseconds(30000));
  EXPECT_FALSE(ProcessesUnder(root.Path()).empty()) << "the slow server was waited for";
  EXPECT_EQ(varnel.ProgressWindow(), nullptr);
  // Servers started after the close are not waited for either, so whether
  // one registered before its lookup is a race: either summary is right,
  // with its own icon.
  if (box.Text == kSummaryOk) {
    varnel.ExpectBox(box, kSummaryOk, IconKind::Information);
  } else {
    varnel.ExpectBox(box, kSummaryErrors, IconKind::Error);
  }
  std::printf("summary after the close: %s\n", U8(box.Text).c_str());
  varnel.Ok(box);
  varnel.Proc().WaitForExit(kWait);
  // Every DComPerm the run started has gone its own way and ended.
  EXPECT_TRUE(TryWaitUntil([&] { return ProcessesUnder(varnel.Work().Path()).empty(); }, kWait));
  const Calls calls = varnel.DComPermCalls();
  EXPECT_GE(calls.Argv.size(), 1u);
  for (const auto& call : calls.Argv) {
    ASSERT_EQ(call.size(), 3u);
    EXPECT_EQ(U8(call[2]), "Interactive User");
  }

  Release(slow);
  EXPECT_TRUE(TryWaitUntil([&] { return ProcessesUnder(root.Path()).empty(); }, kWait))
      << "the slow server did not end after its stop file";
}

}  // namespace
}  // namespace varnel::ui::run
