// Runs with failing items: a server without version information ends the
// run; a server that registers nothing, one without an AppID key, and a
// missing DComPerm each fail their own item while the others go through.

#include "tests/ui/scenarios/run_support.h"

namespace varnel::ui::run {
namespace {

String SystemText(DWORD code) {
  wchar_t buffer[1024];
  const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, buffer, 1024, nullptr);
  String text = FromW(buffer, length);
  while (!text.empty() && (text.back() <= u' ' || text.back() == u'.')) text.pop_back();
  return text;
}

TEST(RunFailures, ServerWithoutVersionInformationEndsTheRun) {
  const ServerKeys keys({u"UxRfA", u"UxRfN", u"UxRfB"});
  const TempFolder root(u"UxRunNoVer");
  CopyFileTo(ServerFixture(u"server"), root.File(u"UxRfA.exe"));
  CopyFileTo(ServerFixture(u"server_noversion"), root.File(u"UxRfN.exe"));
  CopyFileTo(ServerFixture(u"server"), root.File(u"UxRfB.exe"));
  const std::vector<String> order = SearchOrder(root.Path());

  const VarnelSession varnel(u"UxRunNoVer");
  varnel.Select(u"Usuario interactivo");
  varnel.Pick(root.Path());
  varnel.PressAccept();
  const MessageBoxInfo summary = varnel.ExpectSummary(kSummaryErrors, IconKind::Error);
  varnel.Ok(summary);
  const MessageBoxInfo failure = varnel.WaitBox();
  std::printf("failure box: \"%s\"\n", U8(failure.Text).c_str());
  EXPECT_EQ(U8(failure.Text.substr(0, 26)), "System Error.  Code: 1812.");
  EXPECT_NE(failure.Text.find(SystemText(1812)), String::npos) << U8(SystemText(1812));
  varnel.ExpectBox(failure, failure.Text, IconKind::Error);  // title and icon
  varnel.Ok(failure);
  varnel.ExpectNoBox();

  // Phase 1 stopped at the server without version information: the ones
  // before it registered, none after it started, phase 2 never came.
  bool reached = false;
  for (const String& path : order) {
    const String base = FileBaseName(path);
    if (base == u"UxRfN") reached = true;
    EXPECT_EQ(ProgIdRegistered(base), !reached) << U8(base);
  }
  EXPECT_TRUE(varnel.DComPermCalls().Argv.empty());
  varnel.ExpectNothingLeft(root.Path());
  varnel.WaitIdle();
  varnel.CloseAndWait();
}

TEST(RunFailures, FailingServersFailTheirOwnItemsOnly) {
  const ServerKeys keys({u"UxRfOk1", u"UxRfFalla", u"UxRfSinApp", u"UxRfOk2"});
  const TempFolder root(u"UxRunFail");
  CopyFileTo(ServerFixture(u"server"), root.File(u"UxRfOk1.exe"));
  CopyFileTo(ServerFixture(u"server_fail"), root.File(u"UxRfFalla.exe"));
  CopyFileTo(ServerFixture(u"server_noappid"), root.File(u"UxRfSinApp.exe"));
  CopyFileTo(ServerFixture(u"server"), root.File(u"UxRfOk2.exe"));
  const std::vector<String> order = SearchOrder(root.Path());

  const VarnelSession varnel(u"UxRunFail");
  varnel.Select(u"Usuario interactivo");
  varnel.Pick(root.Path());
  varnel.PressAccept();
  varnel.Ok(varnel.ExpectSummary(kSummaryErrors, IconKind::Error, Milliseconds(30000)));
  varnel.ExpectNoBox();

  // DComPerm ran for every registered server, in order; not for the one
  // that registered nothing.
  std::vector<std::vector<String>> expected;
  for (const String& path : order)
    if (FileBaseName(path) != u"UxRfFalla")
      expected.push_back(RunAsArgs(ExpectedClsid(FileBaseName(path)), u"Interactive User"));
  EXPECT_EQ(Printable(varnel.DComPermCalls().Argv), Printable(expected));
  EXPECT_FALSE(ProgIdRegistered(u"UxRfFalla"));
  ExpectRegistered(u"UxRfSinApp", root.File(u"UxRfSinApp.exe"));
  EXPECT_FALSE(AppIdExists(ExpectedClsid(u"UxRfSinApp")));
  for (const String base : {u"UxRfOk1", u"UxRfOk2"}) {
    ExpectRegistered(base, root.File(base + u".exe"));
    EXPECT_EQ(U8(RunAsOf(ExpectedClsid(base)).value_or(u"(none)")), "Interactive User");
  }
  varnel.ExpectNothingLeft(root.Path());
  varnel.WaitIdle();
  varnel.CloseAndWait();
}

TEST(RunFailures, MissingDComPermFailsEachServerAndTheShellSaysSo) {
  const ServerKeys keys({u"UxRmA", u"UxRmB"});
  const TempFolder root(u"UxRunNoPerm");
  CopyFileTo(ServerFixture(u"server"), root.File(u"UxRmA.exe"));
  CopyFileTo(ServerFixture(u"server"), root.File(u"UxRmB.exe"));

  const VarnelSession varnel(u"UxRunNoPerm", {false, {}});
  varnel.Select(u"Usuario interactivo");
  varnel.Pick(root.Path());
  varnel.PressAccept();
  // Every box before the summary is the shell's own about DComPerm.
  int shellBoxes = 0;
  std::optional<MessageBoxInfo> summary;
  WaitUntil(
      [&] {
        const std::optional<MessageBoxInfo> box = FindMessageBox(varnel.Pid());
        if (!box) return false;
        if (box->Text == kSummaryErrors || box->Text == kSummaryOk) {
          summary = box;
          return true;
        }
        ++shellBoxes;
        std::printf("shell box: \"%s\" / \"%s\"\n", U8(box->Caption).c_str(),
                    U8(box->Text).c_str());
        EXPECT_EQ(OwnerOf(box->Handle) != varnel.Main(), true) << "owned by the setup window";
        Press(*box, box->ButtonIds.empty() ? IDOK : box->ButtonIds.front(), kWait);
        return false;
      },
      Milliseconds(40000), u"the summary");
  std::printf("shell boxes: %d\n", shellBoxes);
  EXPECT_LE(shellBoxes, 2);
  varnel.ExpectBox(*summary, kSummaryErrors, IconKind::Error);
  varnel.Ok(*summary);
  varnel.ExpectNoBox();
  for (const String base : {u"UxRmA", u"UxRmB"}) {
    ExpectRegistered(base, root.File(base + u".exe"));
    EXPECT_FALSE(RunAsOf(ExpectedClsid(base)).has_value());
  }
  varnel.ExpectNothingLeft(root.Path());
  varnel.WaitIdle();
  varnel.CloseAndWait();
}

}  // namespace
}  // namespace varnel::ui::run
