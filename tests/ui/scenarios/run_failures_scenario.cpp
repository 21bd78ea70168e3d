// Runs with failing items: a server without version information ends the
// run; a server that registers nothing, one without an AppID key, and a
// missing DComPerm each fail their own item while the others go through, and
// the summary names each with its reason. A server whose class names another
// AppID gets its identity there.

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
  // Nothing failed before the run ended: the sentence alone.
  EXPECT_EQ(U8(summary.Text), U8(kSummaryErrors));
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

TEST(RunFailures, FailingServersFailTheirOwnItemsOnlyAndTheSummaryNamesThem) {
  const ServerKeys keys({u"UxRfOk1", u"UxRfFalla", u"UxRfSinApp", u"UxRfOtro", u"UxRfOk2"});
  // The AppID the "other AppID" server names for its class.
  const String otherAppId = ExpectedClsid(u"UxRfOtro#AppID");
  struct OtherAppIdKey {
    String key;
    ~OtherAppIdKey() { DeleteRegistryTree(HKEY_LOCAL_MACHINE, key); }
  } otherKey{kClasses + u"AppID\\" + otherAppId};
  const TempFolder root(u"UxRunFail");
  CopyFileTo(ServerFixture(u"server"), root.File(u"UxRfOk1.exe"));
  CopyFileTo(ServerFixture(u"server_fail"), root.File(u"UxRfFalla.exe"));
  CopyFileTo(ServerFixture(u"server_noappid"), root.File(u"UxRfSinApp.exe"));
  CopyFileTo(ServerFixture(u"server_otherappid"), root.File(u"UxRfOtro.exe"));
  CopyFileTo(ServerFixture(u"server"), root.File(u"UxRfOk2.exe"));
  const std::vector<String> order = SearchOrder(root.Path());

  const VarnelSession varnel(u"UxRunFail");
  varnel.Select(u"Usuario interactivo");
  varnel.Pick(root.Path());
  varnel.PressAccept();
  const MessageBoxInfo summary =
      varnel.ExpectSummary(kSummaryErrors, IconKind::Error, Milliseconds(30000));
  std::printf("summary:\n%s\n", U8(summary.Text).c_str());
  // One line per failed item, in the run's order, each with its reason.
  std::vector<String> expectedList;
  for (const String& path : order) {
    const String base = FileBaseName(path);
    if (base == u"UxRfFalla")
      expectedList.push_back(path +
                             u": Después de /REGSERVER no hay ninguna clase registrada "
                             u"con el ProgID UxRfFalla.UxRfFallaDMR.");
    if (base == u"UxRfSinApp")
      expectedList.push_back(path + u": No existe la clave AppID " + ExpectedClsid(base) +
                             u" (HKLM\\SOFTWARE\\Classes\\AppID); DComPerm no la crea.");
  }
  EXPECT_EQ(Joined(SummaryList(summary.Text)), Joined(expectedList));
  varnel.Ok(summary);
  varnel.ExpectNoBox();

  // DComPerm ran for every server with an AppID key, in order: not for the
  // one that registered nothing, nor for the one without its key (the tool
  // never creates it). The server whose class names another AppID got its
  // identity there.
  std::vector<std::vector<String>> expected;
  for (const String& path : order) {
    const String base = FileBaseName(path);
    if (base == u"UxRfOtro")
      expected.push_back(RunAsArgs(otherAppId, u"Interactive User"));
    else if (base != u"UxRfFalla" && base != u"UxRfSinApp")
      expected.push_back(RunAsArgs(ExpectedClsid(base), u"Interactive User"));
  }
  EXPECT_EQ(Printable(varnel.DComPermCalls().Argv), Printable(expected));
  EXPECT_FALSE(ProgIdRegistered(u"UxRfFalla"));
  ExpectRegistered(u"UxRfSinApp", root.File(u"UxRfSinApp.exe"));
  EXPECT_FALSE(AppIdExists(ExpectedClsid(u"UxRfSinApp")));
  ExpectRegistered(u"UxRfOtro", root.File(u"UxRfOtro.exe"));
  EXPECT_EQ(U8(RunAsOf(otherAppId).value_or(u"(none)")), "Interactive User");
  for (const String base : {u"UxRfOk1", u"UxRfOk2"}) {
    ExpectRegistered(base, root.File(base + u".exe"));
    EXPECT_EQ(U8(RunAsOf(ExpectedClsid(base)).value_or(u"(none)")), "Interactive User");
  }
  varnel.ExpectNothingLeft(root.Path());
  varnel.WaitIdle();
  varnel.CloseAndWait();
}

// Without DComPerm the run is refused before any server starts: registering
// every server and then failing each identity would leave a half-done
// machine.
TEST(RunFailures, MissingDComPermRefusesTheRunBeforeAnyServerStarts) {
  const ServerKeys keys({u"UxRmA", u"UxRmB"});
  const TempFolder root(u"UxRunNoPerm");
  CopyFileTo(ServerFixture(u"server"), root.File(u"UxRmA.exe"));
  CopyFileTo(ServerFixture(u"server"), root.File(u"UxRmB.exe"));

  const VarnelSession varnel(u"UxRunNoPerm", {.WithDComPerm = false});
  varnel.Select(u"Usuario interactivo");
  varnel.Pick(root.Path());
  varnel.PressAccept();
  bool sawProgress = false;
  const MessageBoxInfo box = varnel.WaitBoxWatching(sawProgress);
  EXPECT_FALSE(sawProgress);
  varnel.ExpectBox(box,
                   u"No se encontró DComPerm.exe en la carpeta del programa, en la carpeta del "
                   u"sistema ni en el PATH.",
                   IconKind::Error);
  varnel.Ok(box);
  varnel.ExpectNoBox();
  for (const String base : {u"UxRmA", u"UxRmB"}) EXPECT_FALSE(ProgIdRegistered(base));
  varnel.ExpectNothingLeft(root.Path());
  varnel.WaitIdle();
  varnel.CloseAndWait();
}

}  // namespace
}  // namespace varnel::ui::run
