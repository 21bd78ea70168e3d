// "Este usuario" with user names and passwords full of what command lines
// treat specially: each arrives at DComPerm as one argument, unchanged.

#include "tests/ui/scenarios/fault_support.h"

namespace varnel::ui::fault {
namespace {

struct Credentials {
  String Usuario;
  String Contrasena;
};

TEST(FaultCredentials, BlanksQuotesAndShellCharactersArriveAsOneArgumentEach) {
  ToolFolder tools(u"FxCred-tools");
  TempFolder servers(u"FxCred-servers");
  Registrations registrations;
  const String name = u"FxCredServer";
  registrations.Add(name);
  CopyFileTo(ServerFixture(u"server.exe"), servers.File(name + u".exe"));

  const std::vector<Credentials> cases = {
      // Blanks, quotes, the characters cmd and the shell would act on, and a
      // backslash right before a quote and at the very end.
      {u"DOMINIO\\Ana \"La Jefa\" & ^%PATH%!", u"p a\\\"s&s^w%o!rd\\"},
      // Only what the rules for backslashes and quotes change.
      {u"\\\\servidor\\\"x\\\\", u"\""},
      // Trailing and inner blanks, a tab, names beyond ASCII.
      {u"  Ñoño \t Pérez  ", u"\U0001F600 clave \u65E5\u672C "},
  };

  Varnel varnel(tools);
  varnel.PickFolder(servers.Path());
  varnel.Select(u"Este usuario");
  const std::vector<HWND> edits = varnel.CredentialEdits();
  ASSERT_EQ(edits.size(), 3u);

  std::size_t calls = 0;
  for (const Credentials& c : cases) {
    SetEditText(edits[0], c.Usuario);
    SetEditText(edits[1], c.Contrasena);
    SetEditText(edits[2], c.Contrasena);
    ASSERT_EQ(U8(ReadText(edits[0])), U8(c.Usuario));
    varnel.Accept();
    const RunBoxes boxes = RunToSummary(varnel);
    // The identity check reads the RunAs value back: it matches the user.
    EXPECT_EQ(U8(boxes.Summary), U8(kSummaryOk)) << U8(c.Usuario);
    EXPECT_TRUE(boxes.ShellBoxes.empty());

    const std::optional<String> clsid = RegisteredClsid(name);
    ASSERT_TRUE(clsid.has_value());
    const std::vector<JsonLine> log = tools.Calls();
    ASSERT_EQ(log.size(), calls + 1);
    const std::vector<String> argv = log.back().FieldAll(u"argv");
    ASSERT_EQ(argv.size(), 4u) << log.back().Field(u"cmdline").size();
    EXPECT_EQ(U8(argv[0]), "-runas");
    EXPECT_EQ(U8(argv[1]), U8(*clsid));
    EXPECT_EQ(U8(argv[2]), U8(c.Usuario));
    EXPECT_EQ(U8(argv[3]), U8(c.Contrasena));
    std::cout << "[ observed ] " << U8(log.back().Field(u"cmdline")) << "\n";
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, ClassesKey(u"AppID\\" + *clsid), u"RunAs"),
              std::optional<String>(c.Usuario));
    ++calls;
  }
  varnel.ExpectIdleAndResponsive();
  varnel.Quit();
}

}  // namespace
}  // namespace varnel::ui::fault
