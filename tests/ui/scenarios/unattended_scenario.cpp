// The unattended mode of the real program: Varnel.com started with a command
// line, as a prompt or a remote-execution tool starts it. What it did is read
// from the registry, the stand-in DComPerm's record, its output, its report
// and its exit code.

#include <nlohmann/json.hpp>

#include "tests/ui/driver/Server32.h"
#include "tests/ui/scenarios/run_support.h"

namespace varnel::ui::run {
namespace {

using nlohmann::json;

struct Outcome {
  DWORD ExitCode = 0;
  String Output;  // standard output and error together
  std::vector<json> Report;
  Calls DComPerm;
};

String VarnelComPath() {
  String path = VarnelExePath();
  path.replace(path.size() - 4, 4, u".com");
  return path;
}

// Runs Varnel.com in a working folder of its own that holds the stand-in
// DComPerm (found there through the PATH), and waits for its end.
Outcome RunUnattended(StringView name, const String& arguments,
                      std::vector<std::pair<String, String>> environment = {},
                      bool dcomPermOnPath = true, String logPath = {}) {
  const TempFolder work(String(name) + u"-work");
  CopyFileTo(FixturePath(u"dcomperm\\DComPerm.exe"), work.File(u"DComPerm.exe"));
  ProcessOptions start;
  start.Path = VarnelComPath();
  if (logPath.empty()) logPath = work.File(u"report.jsonl");
  start.Arguments = arguments + u" /log " + logPath;
  start.WorkingDirectory = work.Path();
  start.OutputFile = work.File(u"output.txt");
  start.Environment = {{u"VARNEL_DCOMPERM_LOG", work.File(u"dcomperm.log")}};
  if (dcomPermOnPath) start.Environment.push_back(PathWith(work.Path()));
  for (auto& entry : environment) start.Environment.push_back(std::move(entry));
  const Process process(start);
  process.WaitForExit(Milliseconds{90000});

  Outcome outcome;
  outcome.ExitCode = process.ExitCode();
  outcome.Output = FromUtf8(ReadFileBytes(work.File(u"output.txt")));
  if (FileExists(logPath)) {
    const std::string bytes = ReadFileBytes(logPath);
    for (std::size_t from = 0; from < bytes.size();) {
      const std::size_t end = bytes.find('\n', from);
      outcome.Report.push_back(json::parse(bytes.substr(from, end - from)));
      from = end == std::string::npos ? bytes.size() : end + 1;
    }
  }
  if (FileExists(work.File(u"dcomperm.log"))) {
    for (const JsonLine& line : ReadJsonLines(work.File(u"dcomperm.log")))
      outcome.DComPerm.Argv.push_back(line.FieldAll(u"argv"));
  }
  KillProcessesUnder(work.Path());
  return outcome;
}

bool Contains(const String& text, StringView part) { return text.find(part) != String::npos; }

const json* Line(const Outcome& outcome, const String& path, const char* phase) {
  for (const json& line : outcome.Report)
    if (line.value("path", "") == U8(path) && line.value("phase", "") == phase) return &line;
  return nullptr;
}

TEST(Unattended, EachIdentityIsSetAndReported) {
  const ServerKeys keys({u"UxUnUno", u"UxUnDos"});
  const TempFolder folder(u"UxUnIdent");
  const String uno = folder.File(u"UxUnUno.exe");
  const String dos = JoinPath(folder.MakeFolder(u"sub"), u"UxUnDos.exe");
  CopyFileTo(ServerFixture(u"server"), uno);
  CopyFileTo(ServerFixture(u"server"), dos);

  struct Case {
    String Identity;
    String Extra;
    std::optional<String> RunAs;
  };
  const String password = u"p w\"d \\ñ";
  for (const Case& c :
       {Case{u"interactive", u"", u"Interactive User"}, Case{u"launching", u"", std::nullopt},
        Case{u"user", u"/user \"DOM\\op uno\" /password-env UXPW", u"DOM\\op uno"}}) {
    SCOPED_TRACE(U8(c.Identity));
    const Outcome outcome = RunUnattended(
        u"UxUnIdent", u"/dir " + folder.Path() + u" /identity " + c.Identity + u" " + c.Extra,
        {{u"UXPW", password}});
    EXPECT_EQ(outcome.ExitCode, 0u) << U8(outcome.Output);
    EXPECT_TRUE(Contains(outcome.Output, kSummaryOk)) << U8(outcome.Output);
    ASSERT_EQ(outcome.DComPerm.Argv.size(), 2u);
    for (const String& path : {uno, dos}) {
      const String base = FileBaseName(path);
      EXPECT_EQ(RunAsOf(ExpectedClsid(base)), c.RunAs);
      const json* identity = Line(outcome, path, "identity");
      ASSERT_NE(identity, nullptr) << U8(path);
      EXPECT_EQ((*identity)["ok"], true);
      EXPECT_EQ((*identity)["clsid"], U8(ExpectedClsid(base)));
      EXPECT_EQ((*identity)["runAs"], c.RunAs ? json(U8(*c.RunAs)) : json(nullptr));
      ASSERT_NE(Line(outcome, path, "register"), nullptr);
    }
    ASSERT_FALSE(outcome.Report.empty());
    EXPECT_EQ(outcome.Report.back()["summary"], "success");
    EXPECT_EQ(outcome.Report.back()["servers"], 2);
    // The password from the environment reaches DComPerm as one argument.
    if (c.Identity == u"user") {
      EXPECT_EQ(Joined(outcome.DComPerm.Argv[0]),
                Joined({u"-runas", ExpectedClsid(u"UxUnUno"), u"DOM\\op uno", password}));
    }
  }
}

TEST(Unattended, AFailingServerFailsTheRunAndIsNamed) {
  const ServerKeys keys({u"UxUnBien", u"UxUnMal"});
  const TempFolder folder(u"UxUnFail");
  CopyFileTo(ServerFixture(u"server"), folder.File(u"UxUnBien.exe"));
  const String bad = folder.File(u"UxUnMal.exe");
  CopyFileTo(ServerFixture(u"server_fail"), bad);

  const Outcome outcome =
      RunUnattended(u"UxUnFail", u"/dir " + folder.Path() + u" /identity interactive");
  EXPECT_EQ(outcome.ExitCode, 1u);
  const json* line = Line(outcome, bad, "identity");
  ASSERT_NE(line, nullptr);
  EXPECT_EQ((*line)["ok"], false);
  EXPECT_EQ((*line)["clsid"], "");
  const String reason = FromUtf8((*line)["error"].get<std::string>());
  EXPECT_TRUE(Contains(reason, ProgIdOf(u"UxUnMal"))) << U8(reason);
  // The output names it as the window's summary would.
  EXPECT_TRUE(Contains(outcome.Output, kSummaryErrors));
  EXPECT_TRUE(Contains(outcome.Output, bad + u": " + reason)) << U8(outcome.Output);
  EXPECT_EQ(outcome.Report.back()["summary"], "errors");
  EXPECT_EQ(outcome.Report.back()["failed"], 1);
}

TEST(Unattended, RefusalsAndEmptyFoldersStartNothing) {
  const TempFolder empty(u"UxUnEmpty");
  const Outcome missing = RunUnattended(u"UxUnRef", u"/dir " + empty.Path());
  EXPECT_EQ(missing.ExitCode, 2u);
  EXPECT_TRUE(Contains(missing.Output, u"Falta /identity")) << U8(missing.Output);
  EXPECT_TRUE(Contains(missing.Output, u"Uso:"));

  const Outcome noPassword =
      RunUnattended(u"UxUnRef", u"/dir " + empty.Path() + u" /identity user /user u", {});
  EXPECT_EQ(noPassword.ExitCode, 2u);
  EXPECT_TRUE(Contains(noPassword.Output, u"Debe digitar una contraseña."))
      << U8(noPassword.Output);

  const Outcome nothing =
      RunUnattended(u"UxUnRef", u"/dir " + empty.Path() + u" /identity interactive");
  EXPECT_EQ(nothing.ExitCode, 3u);
  EXPECT_TRUE(
      Contains(nothing.Output, u"No se encontraron servidores en el directorio seleccionado."));
  for (const Outcome* outcome : {&missing, &noPassword, &nothing})
    EXPECT_TRUE(outcome->DComPerm.Argv.empty());
}

TEST(Unattended, WhatIfReportsWithoutChangingAnything) {
  const ServerKeys keys({u"UxUnHay", u"UxUnNada"});
  const TempFolder folder(u"UxUnWhatIf");
  const String registered = folder.File(u"UxUnHay.exe");
  const String unregistered = folder.File(u"UxUnNada.exe");
  CopyFileTo(ServerFixture(u"server"), registered);
  CopyFileTo(ServerFixture(u"server"), unregistered);
  const Outcome setUp =
      RunUnattended(u"UxUnWhatIf", u"/program " + registered + u" /identity interactive");
  ASSERT_EQ(setUp.ExitCode, 0u) << U8(setUp.Output);

  const Outcome outcome =
      RunUnattended(u"UxUnWhatIf", u"/dir " + folder.Path() + u" /identity launching /whatif");
  EXPECT_EQ(outcome.ExitCode, 0u) << U8(outcome.Output);
  EXPECT_TRUE(outcome.DComPerm.Argv.empty());
  EXPECT_FALSE(ProgIdRegistered(u"UxUnNada")) << "a server was started";
  EXPECT_EQ(RunAsOf(ExpectedClsid(u"UxUnHay")), u"Interactive User");
  const json* hay = Line(outcome, registered, "whatif");
  const json* nada = Line(outcome, unregistered, "whatif");
  ASSERT_TRUE(hay && nada);
  EXPECT_EQ((*hay)["clsid"], U8(ExpectedClsid(u"UxUnHay")));
  EXPECT_EQ((*hay)["runAs"], "Interactive User");
  EXPECT_EQ((*nada)["progId"], U8(ProgIdOf(u"UxUnNada")));
  EXPECT_EQ((*nada)["clsid"], "");
  EXPECT_TRUE((*nada)["runAs"].is_null());
}

// /verify activates each prepared server as a client would: the stand-in
// that serves its class passes, the one that refuses to make objects fails
// with the access-denied reason and its code.
TEST(Unattended, VerifyActivatesEachPreparedServer) {
  const ServerKeys keys({u"UxUnSirve", u"UxUnNiega"});
  const TempFolder folder(u"UxUnVerify");
  const String serves = folder.File(u"UxUnSirve.exe");
  const String refuses = folder.File(u"UxUnNiega.exe");
  CopyFileTo(ServerFixture(u"server"), serves);
  CopyFileTo(ServerFixture(u"server_refuse"), refuses);
  const Outcome outcome =
      RunUnattended(u"UxUnVerify", u"/dir " + folder.Path() + u" /identity interactive /verify");
  EXPECT_EQ(outcome.ExitCode, 1u) << U8(outcome.Output);
  const json* good = Line(outcome, serves, "verify");
  const json* bad = Line(outcome, refuses, "verify");
  ASSERT_TRUE(good && bad) << U8(outcome.Output);
  EXPECT_EQ((*good)["ok"], true);
  EXPECT_EQ((*bad)["ok"], false);
  const String reason = FromUtf8((*bad)["error"].get<std::string>());
  EXPECT_TRUE(Contains(reason, u"acceso denegado (0x80070005)")) << U8(reason);
  EXPECT_EQ((*Line(outcome, refuses, "identity"))["ok"], true) << "its identity was set";
  EXPECT_EQ(outcome.Report.back()["failed"], 1);
}

// A 32-bit server's class key is in the 32-bit view, with an AppID of its
// own. It cannot start here (no 32-bit code runs), so its registration fails;
// the registration a 32-bit server writes is in place, and DComPerm must get
// the AppID that class names, not the CLSID.
TEST(Unattended, A32BitServersIdentityGoesToTheAppIdItsClassNames) {
  const TempFolder folder(u"UxUn32");
  const String exe = folder.File(u"UxUn32.exe");
  CopyFileTo(FixturePath(u"server\\server32.exe"), exe);
  const Server32Registration registration(u"UxUn32", exe);
  const Outcome outcome = RunUnattended(u"UxUn32", u"/program " + exe + u" /identity interactive");
  EXPECT_EQ(outcome.ExitCode, 1u) << U8(outcome.Output);
  EXPECT_EQ((*Line(outcome, exe, "register"))["ok"], false);
  const json* identity = Line(outcome, exe, "identity");
  ASSERT_NE(identity, nullptr) << U8(outcome.Output);
  EXPECT_EQ((*identity)["ok"], true) << U8(outcome.Output);
  ASSERT_EQ(outcome.DComPerm.Argv.size(), 1u);
  EXPECT_EQ(Joined(outcome.DComPerm.Argv[0]),
            Joined({u"-runas", registration.Ids().AppId, u"Interactive User"}));
  EXPECT_EQ(RunAsOf(registration.Ids().AppId), u"Interactive User");
}

// A ProgID left pointing at a copy in another folder, and a server here that
// registers nothing: the item names the other file and DComPerm never runs.
TEST(Unattended, ARegistrationOfAnotherFileFailsNamingIt) {
  const ServerKeys keys({u"UxUnStale"});
  const TempFolder old(u"UxUnStaleOld");
  const TempFolder here(u"UxUnStaleNew");
  const String registered = old.File(u"UxUnStale.exe");
  const String handled = here.File(u"UxUnStale.exe");
  CopyFileTo(ServerFixture(u"server"), registered);
  CopyFileTo(ServerFixture(u"server_fail"), handled);
  ASSERT_EQ(
      RunUnattended(u"UxUnStale", u"/program " + registered + u" /identity launching").ExitCode,
      0u);
  const Outcome outcome =
      RunUnattended(u"UxUnStale", u"/program " + handled + u" /identity interactive");
  EXPECT_EQ(outcome.ExitCode, 1u) << U8(outcome.Output);
  const json* identity = Line(outcome, handled, "identity");
  ASSERT_NE(identity, nullptr) << U8(outcome.Output);
  EXPECT_EQ((*identity)["ok"], false);
  EXPECT_TRUE(Contains(FromUtf8((*identity)["error"].get<std::string>()), registered))
      << (*identity)["error"];
  EXPECT_TRUE(outcome.DComPerm.Argv.empty());
  EXPECT_EQ(RunAsOf(ExpectedClsid(u"UxUnStale")), std::nullopt) << "the other file's identity";
}

// DComPerm only in the current folder is not taken: nothing starts, exit 2.
TEST(Unattended, DComPermOnlyInTheCurrentFolderRefusesTheRun) {
  const ServerKeys keys({u"UxUnCwd"});
  const TempFolder folder(u"UxUnCwd");
  const String exe = folder.File(u"UxUnCwd.exe");
  CopyFileTo(ServerFixture(u"server"), exe);
  const Outcome outcome = RunUnattended(u"UxUnCwd", u"/program " + exe + u" /identity interactive",
                                        {}, /*dcomPermOnPath=*/false);
  EXPECT_EQ(outcome.ExitCode, 2u) << U8(outcome.Output);
  EXPECT_TRUE(Contains(outcome.Output, u"No se encontró DComPerm.exe")) << U8(outcome.Output);
  EXPECT_FALSE(ProgIdRegistered(u"UxUnCwd")) << "a server was started";
  EXPECT_TRUE(outcome.DComPerm.Argv.empty()) << "the current folder's DComPerm.exe ran";
}

// Writes a run's report back to a file, as the run left it.
String SaveReport(const Outcome& outcome, const TempFolder& folder) {
  std::string text;
  for (const json& line : outcome.Report) text += line.dump() + "\n";
  const String path = folder.File(u"anterior.jsonl");
  WriteFileBytes(path, text);
  return path;
}

// A re-run with the same identity changes nothing and says so; a change of
// identity is reported before and after, and /restore puts the earlier one
// back; /whatif says which servers an identity would change.
TEST(Unattended, ReRunsChangeNothingAndRestorePutsTheIdentityBack) {
  const ServerKeys keys({u"UxUnIdem"});
  const TempFolder folder(u"UxUnIdem");
  const String exe = folder.File(u"UxUnIdem.exe");
  CopyFileTo(ServerFixture(u"server"), exe);
  const String dir = u"/dir " + folder.Path();
  const String clsid = ExpectedClsid(u"UxUnIdem");

  const Outcome first = RunUnattended(u"UxUnIdem", dir + u" /identity interactive");
  ASSERT_EQ(first.ExitCode, 0u) << U8(first.Output);
  EXPECT_EQ(first.Report.back()["changed"], 1);
  const Outcome again = RunUnattended(u"UxUnIdem", dir + u" /identity interactive");
  EXPECT_EQ(again.ExitCode, 0u) << U8(again.Output);
  EXPECT_EQ(again.Report.back()["changed"], 0);
  EXPECT_EQ((*Line(again, exe, "identity"))["changed"], false);
  EXPECT_TRUE(Contains(again.Output, u"sin cambios")) << U8(again.Output);
  EXPECT_TRUE(again.DComPerm.Argv.empty()) << "nothing to set";

  const Outcome preview = RunUnattended(u"UxUnIdem", dir + u" /identity launching /whatif");
  EXPECT_EQ(preview.ExitCode, 0u);
  EXPECT_EQ((*Line(preview, exe, "whatif"))["wouldChange"], true);
  EXPECT_EQ((*Line(preview, exe, "whatif"))["runAsBefore"], "Interactive User");
  EXPECT_EQ(RunAsOf(clsid), u"Interactive User") << "a preview changes nothing";

  const Outcome change = RunUnattended(u"UxUnIdem", dir + u" /identity launching");
  ASSERT_EQ(change.ExitCode, 0u) << U8(change.Output);
  const json* changed = Line(change, exe, "identity");
  EXPECT_EQ((*changed)["runAsBefore"], "Interactive User");
  EXPECT_TRUE((*changed)["runAs"].is_null());
  EXPECT_EQ((*changed)["appId"], U8(clsid));
  EXPECT_EQ(RunAsOf(clsid), std::nullopt);

  const Outcome back = RunUnattended(u"UxUnIdem", u"/restore " + SaveReport(change, folder));
  EXPECT_EQ(back.ExitCode, 0u) << U8(back.Output);
  EXPECT_EQ((*Line(back, exe, "restore"))["changed"], true);
  EXPECT_EQ(RunAsOf(clsid), u"Interactive User");
}

// A report that is not ours is refused at its line before anything changes;
// a refused command line still replaces the report an earlier run left.
TEST(Unattended, RefusalsReplaceTheReportAndADamagedReportChangesNothing) {
  const TempFolder folder(u"UxUnRefLog");
  const String log = folder.File(u"varnel.jsonl");
  WriteTextFile(log, u"{\"summary\":\"success\"}\n");
  const Outcome refused = RunUnattended(u"UxUnRefLog", u"/dir C:\\x /bogus", {}, true, log);
  EXPECT_EQ(refused.ExitCode, 2u);
  ASSERT_EQ(refused.Report.size(), 1u);
  EXPECT_EQ(refused.Report[0]["summary"], "refused");
  EXPECT_EQ(refused.Report[0]["exitCode"], 2);

  const String damaged = folder.File(u"dañado.jsonl");
  WriteTextFile(damaged,
                u"{\"path\":\"C:\\\\a.exe\",\"phase\":\"register\",\"ok\":true}\nno es json\n");
  const Outcome restore = RunUnattended(u"UxUnRefLog", u"/restore " + damaged);
  EXPECT_EQ(restore.ExitCode, 2u) << U8(restore.Output);
  EXPECT_TRUE(Contains(restore.Output, u"línea 2")) << U8(restore.Output);
  EXPECT_TRUE(restore.DComPerm.Argv.empty());
}

// /timeout: a server that takes too long fails its step, named with the
// bound, is left running, and the run goes on with the next one.
TEST(Unattended, ATimeoutFailsTheSlowServerAndTheRunGoesOn) {
  const ServerKeys keys({u"UxUnLento"});
  const TempFolder folder(u"UxUnTimeout");
  const String slow = folder.File(u"UxUnLento.exe");
  CopyFileTo(ServerFixture(u"server"), slow);
  const Outcome outcome =
      RunUnattended(u"UxUnTimeout", u"/program " + slow + u" /identity interactive /timeout 1",
                    {{u"VARNEL_SERVER_REGISTER_MS", u"20000"}});
  EXPECT_EQ(outcome.ExitCode, 1u) << U8(outcome.Output);
  const json* line = Line(outcome, slow, "register");
  ASSERT_NE(line, nullptr) << U8(outcome.Output);
  const String reason = FromUtf8((*line)["error"].get<std::string>());
  EXPECT_TRUE(Contains(reason, slow) && Contains(reason, u"1 segundos")) << U8(reason);
  EXPECT_FALSE(ProcessesUnder(folder.Path()).empty()) << "the server was left running";
  ASSERT_NE(Line(outcome, slow, "identity"), nullptr) << "the run went on";
  KillProcessesUnder(folder.Path());
}

// The password's variable is taken out of the environment before anything
// starts. Here it is the one the stand-in DComPerm writes its record to: the
// tool sets the identity, and a record would show that it saw the variable.
TEST(Unattended, ThePasswordVariableReachesNoStartedProgram) {
  const ServerKeys keys({u"UxUnEnv"});
  const TempFolder folder(u"UxUnEnv");
  const String server = folder.File(u"UxUnEnv.exe");
  CopyFileTo(ServerFixture(u"server"), server);
  const Outcome outcome =
      RunUnattended(u"UxUnEnv", u"/program " + server +
                                    u" /identity user /user op /password-env VARNEL_DCOMPERM_LOG");
  EXPECT_EQ(outcome.ExitCode, 0u) << U8(outcome.Output);
  EXPECT_EQ(RunAsOf(ExpectedClsid(u"UxUnEnv")), u"op") << "DComPerm did not run";
  EXPECT_TRUE(outcome.DComPerm.Argv.empty()) << "DComPerm inherited the password's variable";
}

}  // namespace
}  // namespace varnel::ui::run
