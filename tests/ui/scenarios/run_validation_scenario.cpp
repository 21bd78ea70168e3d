// What "&Aceptar" refuses before anything starts (credentials, an empty
// path, a folder without servers) and the credential forms it accepts.

#include "tests/ui/scenarios/run_support.h"

namespace varnel::ui::run {
namespace {

struct OneServer {
  TempFolder root{u"UxRunVal"};
  String exe = root.File(u"UxRvA.exe");
  OneServer() { CopyFileTo(ServerFixture(u"server"), exe); }
};

// Presses "&Aceptar" and expects exactly the refusal `message`: an error box
// with the application's title, no progress window at any moment, nothing
// started, the fields as they were.
void ExpectRefused(const VarnelSession& varnel, const String& message, const String& exe) {
  SCOPED_TRACE(U8(message));
  const std::vector<String> before = varnel.Credentials();
  const String path = varnel.PathText();
  varnel.PressAccept();
  bool sawProgress = false;
  const MessageBoxInfo box = varnel.WaitBoxWatching(sawProgress);
  EXPECT_FALSE(sawProgress);
  varnel.ExpectBox(box, message, IconKind::Error);
  varnel.Ok(box);
  varnel.ExpectNoBox(Milliseconds(700));
  varnel.WaitIdle();
  EXPECT_EQ(varnel.Credentials(), before);
  EXPECT_EQ(U8(varnel.PathText()), U8(path));
  EXPECT_TRUE(varnel.DComPermCalls().Argv.empty());
  if (!exe.empty()) {
    EXPECT_FALSE(ProgIdRegistered(FileBaseName(exe)));
  }
}

// A DComPerm.exe in the current folder (where anyone who can write there
// could leave one) is never taken: the run is refused before it starts.
TEST(RunValidation, DComPermOnlyInTheCurrentFolderIsNotTaken) {
  const ServerKeys keys({u"UxRvA"});
  const OneServer folder;
  SessionOptions options;
  options.DComPermOnPath = false;
  const VarnelSession varnel(u"UxRunValCwd", options);
  varnel.Select(u"Usuario interactivo");
  varnel.Pick(folder.root.Path());
  ExpectRefused(varnel,
                u"No se encontró DComPerm.exe en la carpeta del programa, en la carpeta del "
                u"sistema ni en el PATH.",
                folder.exe);
  varnel.CloseAndWait();
}

TEST(RunValidation, CredentialsRefusedBeforeAnythingStarts) {
  const ServerKeys keys({u"UxRvA"});
  const OneServer folder;
  const VarnelSession varnel(u"UxRunVal");
  varnel.Pick(folder.root.Path());
  // "Este usuario" is the option selected at start.
  ASSERT_TRUE(IsChecked(varnel.Button(u"Este usuario")));

  ExpectRefused(varnel, u"Debe digitar un Usuario.", folder.exe);
  varnel.SetCredentials(u"Operador", u"", u"Clave");
  ExpectRefused(varnel, u"Debe digitar una contraseña.", folder.exe);
  varnel.SetCredentials(u"Operador", u"Clave", u"clave");
  ExpectRefused(varnel, u"La confirmación de la contraseña no es igual.", folder.exe);
  EXPECT_EQ(varnel.Credentials(), (std::vector<String>{u"Operador", u"Clave", u"clave"}));

  // A user name of blanks is a user name: the run goes ahead and DComPerm
  // gets it (and a password with a blank) as one argument each.
  varnel.SetCredentials(u"   ", u"x y", u"x y");
  varnel.PressAccept();
  varnel.Ok(varnel.ExpectSummary(kSummaryOk, IconKind::Information));
  const String clsid = ExpectedClsid(u"UxRvA");
  ExpectRegistered(u"UxRvA", folder.exe);
  Calls calls = varnel.DComPermCalls();
  ASSERT_EQ(calls.Argv.size(), 1u);
  EXPECT_EQ(Joined(calls.Argv[0]), Joined({u"-runas", clsid, u"   ", u"x y"}));
  EXPECT_EQ(U8(RunAsOf(clsid).value_or(u"(none)")), "   ");
  varnel.WaitIdle();

  // "Usuario inicial" with every credential field empty: no check at all.
  varnel.SetCredentials(u"", u"", u"");
  varnel.Select(u"Usuario inicial");
  varnel.PressAccept();
  varnel.Ok(varnel.ExpectSummary(kSummaryOk, IconKind::Information));
  calls = varnel.DComPermCalls();
  ASSERT_EQ(calls.Argv.size(), 2u);
  EXPECT_EQ(Joined(calls.Argv[1]), Joined({u"-runas", clsid, u"Launching User"}));
  EXPECT_FALSE(RunAsOf(clsid).has_value());
  varnel.ExpectNothingLeft(folder.root.Path());
  varnel.WaitIdle();
  varnel.CloseAndWait();
}

TEST(RunValidation, EmptyPathRefusedInEachModeAndEmptyFolderWarned) {
  const VarnelSession varnel(u"UxRunValPath");
  varnel.Select(u"Usuario interactivo");
  ASSERT_EQ(U8(varnel.PathText()), "");
  ExpectRefused(varnel, u"Debe seleccionar un directorio.", {});
  varnel.Select(u"Programa");
  ExpectRefused(varnel, u"Debe seleccionar un programa.", {});

  // A folder without any executable: a warning, and no progress window.
  varnel.Select(u"Directorio");
  const TempFolder empty(u"UxRunValEmpty");
  WriteTextFile(empty.File(u"leame.txt"), u"sin servidores");
  varnel.Pick(empty.Path());
  varnel.PressAccept();
  bool sawProgress = false;
  const MessageBoxInfo box = varnel.WaitBoxWatching(sawProgress);
  EXPECT_FALSE(sawProgress);
  varnel.ExpectBox(box, u"No se encontraron servidores en el directorio seleccionado.",
                   IconKind::Warning);
  varnel.Ok(box);
  varnel.ExpectNoBox(Milliseconds(700));
  EXPECT_TRUE(varnel.DComPermCalls().Argv.empty());
  varnel.WaitIdle();
  varnel.CloseAndWait();
}

}  // namespace
}  // namespace varnel::ui::run
