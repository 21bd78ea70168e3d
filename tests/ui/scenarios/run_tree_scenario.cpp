// A folder tree of servers registered end to end, once per identity option:
// every server found (hidden file included, hidden and system subfolders
// left out) registers itself, and DComPerm gets one call per server in the
// search's order with the server's class identifier and the chosen account.

#include "tests/ui/scenarios/run_support.h"

namespace varnel::ui::run {
namespace {

struct Tree {
  TempFolder root{u"UxRunTree"};
  std::vector<String> found;     // full paths, as the program must find them
  std::vector<String> excluded;  // inside a hidden or a system subfolder

  Tree() {
    const String server = ServerFixture(u"server");
    for (const char16_t* name : {u"UxRtA.exe", u"UxRtB.exe", u"UxRtH.exe"})
      CopyFileTo(server, root.File(name));
    SetHiddenSystem(root.File(u"UxRtH.exe"), true, false);
    CopyFileTo(server, JoinPath(root.MakeFolder(u"s1"), u"UxRtC.exe"));
    CopyFileTo(server, JoinPath(root.MakeFolder(u"s1\\t"), u"UxRtD.exe"));
    CopyFileTo(server, JoinPath(root.MakeFolder(u"s2"), u"UxRtE.exe"));
    const String hidden = root.MakeFolder(u"oculto");
    const String system = root.MakeFolder(u"sistema");
    excluded = {JoinPath(hidden, u"UxRtX.exe"), JoinPath(system, u"UxRtY.exe")};
    CopyFileTo(server, excluded[0]);
    CopyFileTo(server, excluded[1]);
    SetHiddenSystem(hidden, true, false);
    SetHiddenSystem(system, false, true);
    found = SearchOrder(root.Path());
  }
};

std::vector<std::vector<String>> Expected(const std::vector<String>& paths,
                                          const std::vector<String>& tail) {
  std::vector<std::vector<String>> calls;
  for (const String& path : paths) {
    std::vector<String> call = {u"-runas", ExpectedClsid(FileBaseName(path))};
    call.insert(call.end(), tail.begin(), tail.end());
    calls.push_back(std::move(call));
  }
  return calls;
}

TEST(RunTree, EveryFoundServerRegisteredAndItsIdentitySetForEachOption) {
  const ServerKeys keys(
      {u"UxRtA", u"UxRtB", u"UxRtH", u"UxRtC", u"UxRtD", u"UxRtE", u"UxRtX", u"UxRtY"});
  const Tree tree;
  // The same rules on this file system give the six servers, the top
  // folder's files first and each subfolder searched whole where it comes.
  ASSERT_EQ(tree.found.size(), 6u);
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_EQ(U8(tree.found[i].substr(0, tree.found[i].find_last_of(u'\\'))), U8(tree.root.Path()));
  const auto at = [&](const String& base) {
    return std::find_if(tree.found.begin(), tree.found.end(),
                        [&](const String& p) { return FileBaseName(p) == base; }) -
           tree.found.begin();
  };
  EXPECT_EQ(at(u"UxRtD"), at(u"UxRtC") + 1);  // s1\t is searched inside s1
  const VarnelSession varnel(u"UxRunTree");
  varnel.Pick(tree.root.Path());

  struct Option {
    String radio;
    std::vector<String> tail;
    std::optional<String> runAs;
  };
  const std::vector<Option> options = {
      {u"Usuario interactivo", {u"Interactive User"}, u"Interactive User"},
      {u"Usuario inicial", {u"Launching User"}, std::nullopt},
      {u"Este usuario", {u"Operador", u"Clave 1"}, u"Operador"},
  };
  std::size_t seen = 0;
  for (const Option& option : options) {
    SCOPED_TRACE(U8(option.radio));
    varnel.Select(option.radio);
    if (option.radio == u"Este usuario") varnel.SetCredentials(u"Operador", u"Clave 1", u"Clave 1");
    const auto started = std::chrono::steady_clock::now();
    varnel.PressAccept();
    const MessageBoxInfo box =
        varnel.ExpectSummary(kSummaryOk, IconKind::Information, Milliseconds(60000));
    const auto took =
        std::chrono::duration_cast<Milliseconds>(std::chrono::steady_clock::now() - started);
    std::printf("run with \"%s\": %lld ms\n", U8(option.radio).c_str(),
                static_cast<long long>(took.count()));
    if (option.radio == u"Este usuario") {
      SaveClientShot(u"summary.png", box.Handle);
    }
    varnel.Ok(box);

    for (const String& path : tree.found) ExpectRegistered(FileBaseName(path), path);
    for (const String& path : tree.excluded)
      EXPECT_FALSE(ProgIdRegistered(FileBaseName(path))) << U8(path) << " was started";

    const Calls calls = varnel.DComPermCalls();
    ASSERT_EQ(calls.Argv.size(), seen + tree.found.size());
    const std::vector<std::vector<String>> mine(calls.Argv.begin() + static_cast<long>(seen),
                                                calls.Argv.end());
    EXPECT_EQ(Printable(mine), Printable(Expected(tree.found, option.tail)));
    seen = calls.Argv.size();
    for (const String& path : tree.found) {
      const std::optional<String> runAs = RunAsOf(ExpectedClsid(FileBaseName(path)));
      EXPECT_EQ(runAs.has_value(), option.runAs.has_value()) << U8(path);
      if (runAs && option.runAs) {
        EXPECT_EQ(U8(*runAs), U8(*option.runAs)) << U8(path);
      }
    }
    varnel.ExpectNothingLeft(tree.root.Path());
    varnel.ExpectNoBox(Milliseconds(500));
    varnel.WaitIdle();
  }
  varnel.CloseAndWait();
}

}  // namespace
}  // namespace varnel::ui::run
