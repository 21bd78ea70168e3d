// Mode "Programa": one chosen executable is registered and gets its
// identity; a name without a dot gives the identifier ".DMR"; a second run
// with the same program reuses the class identifier the first one found.

#include "tests/ui/driver/Server32.h"
#include "tests/ui/scenarios/run_support.h"

namespace varnel::ui::run {
namespace {

TEST(RunProgram, OneProgramRegisteredUnderItsOwnIdentifier) {
  const ServerKeys keys({u"UxProg", u"UxProgOtro"});
  const TempFolder folder(u"UxRunProg");
  const String exe = folder.File(u"UxProg.exe");
  CopyFileTo(ServerFixture(u"server"), exe);
  // A second server next to it must not be touched in this mode.
  CopyFileTo(ServerFixture(u"server"), folder.File(u"UxProgOtro.exe"));

  const VarnelSession varnel(u"UxRunProg");
  varnel.Select(u"Programa");
  varnel.Select(u"Usuario interactivo");
  varnel.Pick(exe);
  varnel.PressAccept();
  varnel.Ok(varnel.ExpectSummary(kSummaryOk, IconKind::Information));

  ExpectRegistered(u"UxProg", exe);
  EXPECT_FALSE(ProgIdRegistered(u"UxProgOtro"));
  const Calls calls = varnel.DComPermCalls();
  ASSERT_EQ(calls.Argv.size(), 1u);
  // The identifier looked up is UxProg.UxProgDMR: its class identifier is
  // the one DComPerm gets.
  EXPECT_EQ(Joined(calls.Argv[0]),
            Joined({u"-runas", *RegisteredClsid(u"UxProg"), u"Interactive User"}));
  EXPECT_EQ(U8(RunAsOf(ExpectedClsid(u"UxProg")).value_or(u"(none)")), "Interactive User");
  varnel.ExpectNothingLeft(folder.Path());
  varnel.WaitIdle();
  varnel.CloseAndWait();
}

TEST(RunProgram, SecondRunWithTheSameProgramMakesNoNewLookup) {
  const ServerKeys keys({u"UxProgDos"});
  const TempFolder folder(u"UxRunProgDos");
  const String exe = folder.File(u"UxProgDos.exe");
  CopyFileTo(ServerFixture(u"server"), exe);

  const VarnelSession varnel(u"UxRunProgDos");
  varnel.Select(u"Programa");
  varnel.Select(u"Usuario interactivo");
  varnel.Pick(exe);
  varnel.PressAccept();
  varnel.Ok(varnel.ExpectSummary(kSummaryOk, IconKind::Information));
  const String clsid = RegisteredClsid(u"UxProgDos").value_or(u"(none)");
  ASSERT_EQ(varnel.DComPermCalls().Argv.size(), 1u);
  varnel.WaitIdle();

  // The identifier no longer resolves, and the program now registers
  // nothing: only the identifier kept from the first run can name the class.
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, kClasses + ProgIdOf(u"UxProgDos"));
  CopyFileTo(ServerFixture(u"server_fail"), exe);
  varnel.PressAccept();
  varnel.Ok(varnel.ExpectSummary(kSummaryOk, IconKind::Information));
  EXPECT_FALSE(ProgIdRegistered(u"UxProgDos"));
  const Calls calls = varnel.DComPermCalls();
  ASSERT_EQ(calls.Argv.size(), 2u);
  EXPECT_EQ(Joined(calls.Argv[1]), Joined({u"-runas", clsid, u"Interactive User"}));
  varnel.ExpectNothingLeft(folder.Path());
  varnel.WaitIdle();
  varnel.CloseAndWait();
}

TEST(RunProgram, NameWithoutDotGivesAnUnregisteredIdentifier) {
  const TempFolder folder(u"UxRunSinPunto");
  const String file = folder.File(u"UxSinPunto");
  CopyFileTo(ServerFixture(u"server"), file);
  // What a copy registers for itself when started under that name (base
  // name empty for the program, "UxSinPunto" for the stand-in).
  const ServerKeys keys({u"UxSinPunto"});

  const VarnelSession varnel(u"UxRunSinPunto");
  varnel.Select(u"Programa");
  varnel.Select(u"Usuario interactivo");
  varnel.Pick(file);
  varnel.PressAccept();

  // Whatever the shell makes of a file without an extension (it may show
  // its own box), the item's label starts with " - ".
  std::vector<String> labels;
  std::optional<MessageBoxInfo> summary;
  WaitUntil(
      [&] {
        if (const HWND progress = varnel.ProgressWindow()) {
          for (const ControlInfo& info : ListChildren(progress, true))
            if (info.ClassName == u"Static" && info.RectInParentClient.left == 8 &&
                info.RectInParentClient.top == 8 &&
                std::find(labels.begin(), labels.end(), info.Text) == labels.end())
              labels.push_back(info.Text);
        }
        const std::optional<MessageBoxInfo> box = FindMessageBox(varnel.Pid());
        if (!box) return false;
        if (FirstLine(box->Text) == kSummaryErrors || box->Text == kSummaryOk) {
          summary = box;
          return true;
        }
        std::printf("shell box during the run: \"%s\" / \"%s\"\n", U8(box->Caption).c_str(),
                    U8(box->Text).c_str());
        Press(*box, box->ButtonIds.empty() ? IDOK : box->ButtonIds.front(), kWait);
        return false;
      },
      Milliseconds(30000), u"the summary", Milliseconds(5));
  for (const String& label : labels) std::printf("label seen: \"%s\"\n", U8(label).c_str());
  EXPECT_NE(std::find(labels.begin(), labels.end(), String(u" - ") + kDescription), labels.end());
  varnel.ExpectBox(*summary, kSummaryErrors, IconKind::Error);
  EXPECT_EQ(varnel.ProgressWindow(), nullptr);
  varnel.Ok(*summary);
  // ".DMR" names no class: DComPerm is never started for it.
  EXPECT_TRUE(varnel.DComPermCalls().Argv.empty());
  varnel.ExpectNoBox(Milliseconds(700));
  varnel.ExpectNothingLeft(folder.Path());
  varnel.WaitIdle();
  varnel.CloseAndWait();
}

// A 32-bit server picked in the window: it cannot start here, so its
// registration fails, and its identity goes to the AppID its class names in
// the 32-bit view.
TEST(RunProgram, A32BitServersIdentityGoesToTheAppIdItsClassNames) {
  const TempFolder folder(u"UxRunProg32");
  const String exe = folder.File(u"UxProg32.exe");
  CopyFileTo(FixturePath(u"server\\server32.exe"), exe);
  const Server32Registration registration(u"UxProg32", exe);

  const VarnelSession varnel(u"UxRunProg32");
  varnel.Select(u"Programa");
  varnel.Select(u"Usuario interactivo");
  varnel.Pick(exe);
  varnel.PressAccept();
  // The shell says in its own box that it cannot start the program; the
  // window's run answers to nobody else's rules there.
  MessageBoxInfo box = varnel.WaitBox(kWait);
  for (int shellBoxes = 0; box.Caption != kTitle && shellBoxes < 3; ++shellBoxes) {
    std::printf("shell box: \"%s\" / \"%s\"\n", U8(box.Caption).c_str(), U8(box.Text).c_str());
    Press(box, box.ButtonIds.empty() ? IDOK : box.ButtonIds.front(), kWait);
    box = varnel.WaitBox(kWait);
  }
  varnel.ExpectBox(box, kSummaryErrors, IconKind::Error);
  // "Se presentaron errores...", an empty line, the one failure: the
  // registration; the identity went through.
  EXPECT_EQ(TextLines(box.Text).size(), 3u) << U8(box.Text);
  varnel.Ok(box);
  const Calls calls = varnel.DComPermCalls();
  ASSERT_EQ(calls.Argv.size(), 1u);
  EXPECT_EQ(Joined(calls.Argv[0]),
            Joined({u"-runas", registration.Ids().AppId, u"Interactive User"}));
  EXPECT_EQ(RunAsOf(registration.Ids().AppId), u"Interactive User");
  varnel.WaitIdle();
  varnel.CloseAndWait();
}

}  // namespace
}  // namespace varnel::ui::run
