#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "runtime/Exceptions.h"
#include "setup/ActivationReason.h"
#include "setup/CommandRunner.h"
#include "setup/IdentityCommand.h"

using namespace varnel;
using namespace varnel::setup;

namespace {

const String kGuid = u"{0A1B2C3D-4E5F-6789-ABCD-EF0123456789}";

// Doubles that write what happens, in order, into one shared journal.
using Journal = std::vector<std::string>;

class FakePump final : public IMessagePump {
 public:
  explicit FakePump(Journal& journal) : journal_(journal) {}
  void ProcessMessages() override {
    journal_.push_back("pump");
    ++passes;
    if (quitOnPass != 0 && passes == quitOnPass) terminated_ = true;
  }
  bool Terminated() const override { return terminated_; }
  void Terminate() { terminated_ = true; }
  int passes = 0;
  int quitOnPass = 0;  // the pass in which WM_QUIT arrives; 0 = never

 private:
  Journal& journal_;
  bool terminated_ = false;
};

struct ProcessScript {
  bool hasHandle = true;
  int waitsUntilEnd = 0;  // WaitOnce calls after which the process has ended
  bool failOnLook = false;
};

class FakeProcess final : public ICapturedProcess {
 public:
  FakeProcess(Journal& journal, ProcessScript script, std::function<void()> onEnd, String output)
      : journal_(journal), script_(script), onEnd_(std::move(onEnd)), output_(std::move(output)) {}
  ~FakeProcess() override { journal_.push_back("close"); }
  bool HasHandle() const override { return script_.hasHandle; }
  bool Ended() override {
    journal_.push_back("look");
    if (script_.failOnLook) throw EOSError(u"System Error.  Code: 6.\r\nThe handle is invalid", 6);
    return waits_ >= script_.waitsUntilEnd;
  }
  WaitResult WaitOnce() override {
    journal_.push_back("wait");
    EXPECT_LT(waits_, script_.waitsUntilEnd) << "waited on a process that had ended";
    if (++waits_ == script_.waitsUntilEnd) {
      if (onEnd_) onEnd_();
      return WaitResult::Ended;
    }
    return WaitResult::InputAvailable;
  }
  String Output() override { return output_; }

 private:
  Journal& journal_;
  ProcessScript script_;
  std::function<void()> onEnd_;
  String output_;
  int waits_ = 0;
};

// Starts servers through the shell and the tool by its path alike.
class FakeStarter final : public IProcessStarter, public ICapturingStarter {
 public:
  explicit FakeStarter(Journal& journal) : journal_(journal) {}
  std::unique_ptr<IStartedProcess> Start(const String& program, const String& parameters,
                                         String& refusal) override {
    return StartCaptured(program, parameters, refusal);
  }
  std::unique_ptr<ICapturedProcess> StartCaptured(const String& program, const String& parameters,
                                                  String& refusal) override {
    journal_.push_back("start");
    calls.push_back({program, parameters});
    if (refuse) {
      refusal = u"El sistema no puede encontrar el archivo especificado.";
      return nullptr;
    }
    const ProcessScript script = scripts.empty() ? ProcessScript{} : scripts.front();
    if (!scripts.empty()) scripts.pop_front();
    return std::make_unique<FakeProcess>(journal_, script, onEnd, output);
  }
  std::vector<std::pair<String, String>> calls;
  std::deque<ProcessScript> scripts;
  bool refuse = false;
  std::function<void()> onEnd;  // what the tool does to the registry as it ends
  String output;                // what the tool prints

 private:
  Journal& journal_;
};

class FakeRegistry final : public IAppIdRegistry {
 public:
  RunAsValue ReadRunAs(const String& keyName) override {
    reads.push_back(keyName);
    const auto key = keys.find(keyName);
    if (key == keys.end()) return {};
    return {true, key->second.has_value(), key->second.value_or(String())};
  }
  std::optional<String> ReadClassAppId(const String& clsidKeyName, RegistryView) override {
    reads.push_back(u"CLSID " + clsidKeyName);
    const auto found = classAppIds.find(clsidKeyName);
    if (found == classAppIds.end()) return std::nullopt;
    return found->second;
  }
  std::optional<String> ReadLocalServer32(const String&, RegistryView) override {
    return std::nullopt;
  }
  bool CanWriteIdentities() override { return true; }
  std::map<String, std::optional<String>> keys;  // key name -> RunAs (nullopt: no value)
  std::map<String, String> classAppIds;          // CLSID -> its "AppID" value
  std::vector<String> reads;
};

// The setup window's radio buttons and edits; counts how often it is read.
class FakeIdentitySource final : public IIdentitySource {
 public:
  bool InteractivoSelected() const override { return Read(IdentityOption::UsuarioInteractivo); }
  bool InicialSelected() const override { return Read(IdentityOption::UsuarioInicial); }
  bool EsteUsuarioSelected() const override { return Read(IdentityOption::EsteUsuario); }
  String Usuario() const override {
    ++textReads;
    return usuario;
  }
  String Contrasena() const override {
    ++textReads;
    return contrasena;
  }
  IdentityOption selected = IdentityOption::UsuarioInteractivo;
  String usuario;
  String contrasena;
  mutable int selectionReads = 0;
  mutable int textReads = 0;

 private:
  bool Read(IdentityOption option) const {
    ++selectionReads;
    return selected == option;
  }
};

struct Runner {
  Journal journal;
  FakePump pump{journal};
  FakeStarter starter{journal};
  FakeRegistry registry;
  CommandRunner runner{starter, starter, pump, registry};
  Runner() { runner.UsarDComPerm(kTool); }
  static constexpr char16_t kTool[] = u"C:\\Herramientas\\DComPerm.exe";
};

}  // namespace

// --- Parameters handed to DComPerm -----------------------------------------

TEST(DComPermParameters, FixedAccountsExactly) {
  EXPECT_EQ(DComPermParameters(IdentityOption::UsuarioInteractivo, kGuid),
            u" -runas " + kGuid + u" \"Interactive User\"");
  EXPECT_EQ(DComPermParameters(IdentityOption::UsuarioInicial, kGuid),
            u" -runas " + kGuid + u" \"Launching User\"");
  EXPECT_EQ(DComPermParameters(IdentityOption::UsuarioInteractivo, kGuid).size(), 8u + 38 + 19);
  EXPECT_EQ(DComPermParameters(IdentityOption::UsuarioInicial, kGuid).size(), 8u + 38 + 17);
  // Credentials are not part of the fixed forms.
  EXPECT_EQ(DComPermParameters(IdentityOption::UsuarioInicial, kGuid, u"x y", u"z"),
            u" -runas " + kGuid + u" \"Launching User\"");
}

TEST(DComPermParameters, EmptyIdentifierLeavesTwoBlanks) {
  EXPECT_EQ(DComPermParameters(IdentityOption::UsuarioInteractivo, u""),
            u" -runas  \"Interactive User\"");
  EXPECT_EQ(DComPermParameters(IdentityOption::UsuarioInicial, u""),
            u" -runas  \"Launching User\"");
}

TEST(DComPermParameters, CredentialsAreOneWordEach) {
  EXPECT_EQ(DComPermParameters(IdentityOption::EsteUsuario, kGuid, u"DOM\\admin", u"s3cr3t"),
            u" -runas " + kGuid + u" DOM\\admin s3cr3t");
  EXPECT_EQ(DComPermParameters(IdentityOption::EsteUsuario, kGuid, u"Juan Pérez", u"a \"b\"\\"),
            u" -runas " + kGuid + u" \"Juan Pérez\" \"a \\\"b\\\"\\\\\"");
  EXPECT_EQ(DComPermParameters(IdentityOption::EsteUsuario, kGuid, u"  ", u""),
            u" -runas " + kGuid + u" \"  \" \"\"");
}

TEST(AppIdKeyName, BracesOnlyWhenMissing) {
  EXPECT_EQ(AppIdKeyName(kGuid), kGuid);
  EXPECT_EQ(AppIdKeyName(u"0A1B"), u"{0A1B}");
  EXPECT_EQ(AppIdKeyName(u""), u"{}");
}

// --- The identity check ----------------------------------------------------

// The check after DComPerm: RunAs of the AppID key for `guid`, judged.
RunAsValue CheckIdentity(FakeRegistry& registry, StringView guid, IdentityOption option,
                         StringView usuario) {
  const String keyName = AppIdKeyName(guid);
  const RunAsValue found = registry.ReadRunAs(keyName);
  JudgeRunAs(found, keyName, option, usuario);
  return found;
}

TEST(JudgeRunAs, AcceptsWhatEachOptionLeaves) {
  FakeRegistry registry;
  registry.keys[kGuid] = u"Interactive User";
  EXPECT_NO_THROW(CheckIdentity(registry, kGuid, IdentityOption::UsuarioInteractivo, u""));
  registry.keys[kGuid] = std::nullopt;
  EXPECT_NO_THROW(CheckIdentity(registry, kGuid, IdentityOption::UsuarioInicial, u""));
  registry.keys[kGuid] = u"DOM\\Juan Pérez";
  EXPECT_EQ(CheckIdentity(registry, kGuid, IdentityOption::EsteUsuario, u"DOM\\Juan Pérez").Text,
            u"DOM\\Juan Pérez");
  EXPECT_EQ(registry.reads, (std::vector<String>{kGuid, kGuid, kGuid}));
}

TEST(JudgeRunAs, RefusesMissingKeyAndOtherValuesSayingWhatRunAsHolds) {
  const String prefix = u"La identidad no quedó asignada: RunAs de la AppID " + kGuid;
  const auto messageOf = [](FakeRegistry& registry, IdentityOption option, StringView user) {
    try {
      CheckIdentity(registry, kGuid, option, user);
    } catch (const Exception& e) {
      return e.Message();
    }
    return String(u"(no failure)");
  };
  const String missing = u"No existe la clave AppID " + kGuid +
                         u" (HKLM\\SOFTWARE\\Classes\\AppID); DComPerm no la crea.";
  FakeRegistry registry;
  EXPECT_EQ(messageOf(registry, IdentityOption::UsuarioInteractivo, u""), missing);
  EXPECT_EQ(messageOf(registry, IdentityOption::UsuarioInicial, u""), missing);
  registry.keys[kGuid] = std::nullopt;
  EXPECT_EQ(messageOf(registry, IdentityOption::UsuarioInteractivo, u""),
            prefix + u" no tiene valor en lugar de \"Interactive User\".");
  registry.keys[kGuid] = u"interactive user";  // the check is exact
  EXPECT_EQ(messageOf(registry, IdentityOption::UsuarioInteractivo, u""),
            prefix + u" tiene \"interactive user\" en lugar de \"Interactive User\".");
  registry.keys[kGuid] = u"Interactive User";
  EXPECT_EQ(messageOf(registry, IdentityOption::UsuarioInicial, u""),
            prefix + u" tiene \"Interactive User\"; con \"Launching User\" no debe tener valor.");
  EXPECT_EQ(messageOf(registry, IdentityOption::EsteUsuario, u"juan"),
            prefix + u" tiene \"Interactive User\" en lugar de \"juan\".");
  registry.keys[kGuid] = u"";  // an empty value is still a value
  EXPECT_EQ(messageOf(registry, IdentityOption::UsuarioInicial, u""),
            prefix + u" tiene \"\"; con \"Launching User\" no debe tener valor.");
}

TEST(JudgeRunAs, EmptyIdentifierNamesTheBracedKey) {
  FakeRegistry registry;
  registry.keys[kGuid] = u"Interactive User";
  try {
    CheckIdentity(registry, u"", IdentityOption::UsuarioInteractivo, u"");
    FAIL() << "an empty identifier has no AppID key";
  } catch (const Exception& e) {
    EXPECT_EQ(
        e.Message(),
        u"No existe la clave AppID {} (HKLM\\SOFTWARE\\Classes\\AppID); DComPerm no la crea.");
  }
  EXPECT_EQ(registry.reads, std::vector<String>{u"{}"});
}

TEST(AppIdFor, TheClassesOwnAppIdWinsOnlyWhenItNamesAnother) {
  const String other = u"{99999999-8888-7777-6666-555555555555}";
  EXPECT_EQ(AppIdFor(kGuid, std::nullopt), kGuid);
  EXPECT_EQ(AppIdFor(kGuid, String()), kGuid);
  EXPECT_EQ(AppIdFor(kGuid, other), other);
  // The same identifier in other letters, or without braces, is the class's own.
  String lower = kGuid;
  for (char16_t& c : lower)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  EXPECT_EQ(AppIdFor(kGuid, lower), kGuid);
  EXPECT_EQ(AppIdFor(kGuid, kGuid.substr(1, 36)), kGuid);
  EXPECT_EQ(AppIdFor(kGuid, other.substr(1, 36)), other);
  EXPECT_EQ(AppIdFor(u"", std::nullopt), u"{}");
}

// --- EjecutarYEsperar ------------------------------------------------------

TEST(EjecutarYEsperar, PumpsOnceBeforeTheFirstLookEvenWhenAlreadyEnded) {
  Runner r;
  r.starter.scripts = {{true, 0, false}};
  EXPECT_NO_THROW(r.runner.EjecutarYEsperar(u"C:\\s\\a.exe", u" /REGSERVER", u"el programa"));
  EXPECT_EQ(r.journal, (Journal{"start", "pump", "look", "close"}));
  EXPECT_EQ(r.starter.calls,
            (std::vector<std::pair<String, String>>{{u"C:\\s\\a.exe", u" /REGSERVER"}}));
}

TEST(EjecutarYEsperar, AlternatesPassAndLookUntilTheProcessEnds) {
  Runner r;
  r.starter.scripts = {{true, 3, false}};
  EXPECT_NO_THROW(r.runner.EjecutarYEsperar(u"p", u"", u"el programa"));
  EXPECT_EQ(r.journal, (Journal{"start", "pump", "look", "wait", "pump", "look", "wait", "pump",
                                "look", "wait", "pump", "look", "close"}));
  EXPECT_EQ(r.starter.calls.at(0).second, u"");  // an empty tail stays empty
}

TEST(EjecutarYEsperar, QuitEndsTheWaitAfterItsPassAndTheFlagStays) {
  Runner r;
  r.pump.quitOnPass = 2;
  r.starter.scripts = {{true, 100, false}, {true, 100, false}, {true, 100, false}};
  EXPECT_NO_THROW(r.runner.EjecutarYEsperar(u"first", u"", u"el programa"));
  EXPECT_EQ(r.journal, (Journal{"start", "pump", "look", "wait", "pump", "look", "close"}));
  // Every later call starts its program, makes one pass and does not wait.
  for (const char16_t* program : {u"second", u"third"}) {
    r.journal.clear();
    EXPECT_NO_THROW(r.runner.EjecutarYEsperar(program, u"", u"el programa"));
    EXPECT_EQ(r.journal, (Journal{"start", "pump", "look", "close"}));
  }
  EXPECT_EQ(r.starter.calls.size(), 3u);
}

TEST(EjecutarYEsperar, NoHandleMeansNothingToWaitFor) {
  Runner r;
  r.starter.scripts = {{false, 5, false}};
  EXPECT_NO_THROW(r.runner.EjecutarYEsperar(u"doc.txt", u"", u"el programa"));
  EXPECT_EQ(r.journal, (Journal{"start", "close"}));
}

TEST(EjecutarYEsperar, RefusedStartFailsWithoutWaiting) {
  Runner r;
  r.starter.refuse = true;
  EXPECT_THROW(r.runner.EjecutarYEsperar(u"NoExiste", u" x", u"el programa"), Exception);
  EXPECT_EQ(r.journal, (Journal{"start"}));
}

TEST(EjecutarYEsperar, FailuresComeOutAsPlainExceptionsWithTheSameMessage) {
  Runner r;
  r.starter.scripts = {{true, 1, true}};
  try {
    r.runner.EjecutarYEsperar(u"p", u"", u"el programa");
    FAIL() << "the failed look must come out";
  } catch (const EOSError&) {
    FAIL() << "the kind must not survive the wrapper";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"System Error.  Code: 6.\r\nThe handle is invalid");
  }
  EXPECT_EQ(r.journal.back(), "close");  // the handle is released on the way out
}

TEST(EjecutarYEsperar, RefusalGivesTheSystemsReason) {
  Runner r;
  r.starter.refuse = true;
  try {
    r.runner.EjecutarYEsperar(u"C:\\s\\Servidor.exe", u" /REGSERVER", u"el servidor");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              u"No se pudo iniciar el servidor: El sistema no puede encontrar el archivo "
              u"especificado.");
  }
  r.starter.refuse = false;
  EXPECT_NO_THROW(
      r.runner.EjecutarYEsperar(u"C:\\s\\Servidor.exe", u" /REGSERVER", u"el servidor"));
}

// A stop flag that the pump raises in a given pass, as a click on "Detener
// Proceso" dispatched by that pass would.
struct StopOnPass final : IStopSignal {
  explicit StopOnPass(const FakePump& p, int n) : pump(p), pass(n) {}
  bool StopRequested() const override { return pump.passes >= pass; }
  const FakePump& pump;
  int pass;
};

TEST(EjecutarYEsperar, AStopEndsTheWaitAtOnceAndLeavesTheProgramRunning) {
  Runner r;
  r.starter.scripts = {{true, 100, false}};
  const StopOnPass stop(r.pump, 3);
  try {
    r.runner.EjecutarYEsperar(u"C:\\s\\Lento.exe", u" /REGSERVER", u"el servidor", &stop);
    FAIL() << "a program not waited for is a failed item";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              u"No se esperó a que el servidor terminara: el proceso se detuvo y el "
              u"programa quedó en ejecución.");
  }
  // No wait after the pass that took the stop; the handle is only closed.
  EXPECT_EQ(r.journal, (Journal{"start", "pump", "look", "wait", "pump", "look", "wait", "pump",
                                "look", "close"}));
  // A program that ended in that very pass was waited for: no failure.
  Runner ended;
  ended.starter.scripts = {{true, 0, false}};
  const StopOnPass early(ended.pump, 1);
  EXPECT_NO_THROW(ended.runner.EjecutarYEsperar(u"p", u"", u"el servidor", &early));
}

// A clock that moves one second each time it is read.
class SteppingClock final : public IClock {
 public:
  TDateTime Now() override { return ++reads / 86400.0; }
  char16_t TimeSeparator() override { return u':'; }
  int reads = 0;
};

TEST(EjecutarYEsperar, ABoundFailsTheStepNamingTheProgramAndLeavesItRunning) {
  Runner r;
  r.starter.scripts = {{true, 100, false}};
  SteppingClock clock;
  r.runner.LimitarEspera(3, clock);
  try {
    r.runner.EjecutarYEsperar(u"C:\\s\\Cuelga.exe", u" /REGSERVER", u"el servidor");
    FAIL() << "a program past its bound fails its step";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              u"el servidor (C:\\s\\Cuelga.exe) no terminó en 3 segundos: quedó en ejecución.");
  }
  // Started at second 1, looked at 2, 3 and 4: no wait after the bound.
  EXPECT_EQ(r.journal, (Journal{"start", "pump", "look", "wait", "pump", "look", "wait", "pump",
                                "look", "close"}));
}

// --- AsignarPermisosDcom ---------------------------------------------------

TEST(AsignarPermisosDcom, RunsDComPermForTheSelectedOptionAndChecks) {
  Runner r;
  FakeIdentitySource source;
  r.registry.keys[kGuid] = std::nullopt;
  r.starter.onEnd = [&] { r.registry.keys[kGuid] = u"Interactive User"; };
  r.starter.scripts = {{true, 1, false}};
  IdentityRecord record;
  r.runner.AsignarPermisosDcom(kGuid, source, nullptr, &record);
  ASSERT_EQ(r.starter.calls.size(), 1u);
  EXPECT_EQ(r.starter.calls[0].first, Runner::kTool) << "by its full path, never a bare name";
  EXPECT_EQ(r.starter.calls[0].second, u" -runas " + kGuid + u" \"Interactive User\"");
  // The class's AppID value, the key before the start, RunAs after it.
  EXPECT_EQ(r.registry.reads, (std::vector<String>{u"CLSID " + kGuid, kGuid, kGuid}));
  EXPECT_EQ(record.AppId, kGuid);
  EXPECT_TRUE(record.RunAsRead);
  EXPECT_EQ(record.RunAs.Text, u"Interactive User");
  EXPECT_EQ(source.selectionReads, 3);  // all three tests are made
  EXPECT_EQ(source.textReads, 0);       // credentials only for "Este usuario"
}

TEST(AsignarPermisosDcom, AClassNamingAnotherAppIdGetsItsIdentityThere) {
  Runner r;
  FakeIdentitySource source;
  const String other = u"{99999999-8888-7777-6666-555555555555}";
  r.registry.classAppIds[kGuid] = other;
  r.registry.keys[other] = std::nullopt;
  r.starter.onEnd = [&] { r.registry.keys[other] = u"Interactive User"; };
  r.starter.scripts = {{true, 1, false}};
  IdentityRecord record;
  r.runner.AsignarPermisosDcom(kGuid, source, nullptr, &record);
  ASSERT_EQ(r.starter.calls.size(), 1u);
  EXPECT_EQ(r.starter.calls[0].second, u" -runas " + other + u" \"Interactive User\"");
  EXPECT_EQ(r.registry.reads, (std::vector<String>{u"CLSID " + kGuid, other, other}));
  EXPECT_EQ(record.AppId, other);
  EXPECT_EQ(record.RunAs.Text, u"Interactive User");
}

TEST(AsignarPermisosDcom, AMissingAppIdKeyFailsWithoutStartingTheTool) {
  Runner r;
  FakeIdentitySource source;
  const String other = u"{99999999-8888-7777-6666-555555555555}";
  r.registry.classAppIds[kGuid] = other;
  r.registry.keys[kGuid] = u"Interactive User";  // the class's own key does not count
  IdentityRecord record;
  try {
    r.runner.AsignarPermisosDcom(kGuid, source, nullptr, &record);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), MissingAppIdReason(other));
  }
  EXPECT_TRUE(r.starter.calls.empty());
  EXPECT_EQ(record.AppId, other);
  EXPECT_FALSE(record.RunAsRead);
}

TEST(AsignarPermisosDcom, ReadsTheWindowAtEveryCall) {
  Runner r;
  FakeIdentitySource source;
  r.registry.keys[kGuid] = std::nullopt;
  source.selected = IdentityOption::UsuarioInicial;
  r.runner.AsignarPermisosDcom(kGuid, source);
  source.selected = IdentityOption::EsteUsuario;
  source.usuario = u"Juan Pérez";
  source.contrasena = u"x\"y";
  r.registry.keys[kGuid] = u"Juan Pérez";
  r.runner.AsignarPermisosDcom(kGuid, source);
  source.usuario = u"ana";
  source.contrasena = u"pw";
  r.registry.keys[kGuid] = u"ana";
  r.runner.AsignarPermisosDcom(kGuid, source);
  ASSERT_EQ(r.starter.calls.size(), 3u);
  EXPECT_EQ(r.starter.calls[0].second, u" -runas " + kGuid + u" \"Launching User\"");
  EXPECT_EQ(r.starter.calls[1].second, u" -runas " + kGuid + u" \"Juan Pérez\" \"x\\\"y\"");
  EXPECT_EQ(r.starter.calls[2].second, u" -runas " + kGuid + u" ana pw");
  EXPECT_EQ(source.selectionReads, 9);
  EXPECT_EQ(source.textReads, 4);
}

TEST(AsignarPermisosDcom, RefusedStartIsAFailureWithTheSystemsReason) {
  Runner r;
  FakeIdentitySource source;
  r.starter.refuse = true;
  r.registry.keys[kGuid] = u"Interactive User";  // left from before: no reason to pass
  try {
    r.runner.AsignarPermisosDcom(kGuid, source);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              u"No se pudo iniciar DComPerm: El sistema no puede encontrar el archivo "
              u"especificado.");
  }
  // Only the key was looked at before the start; RunAs was not judged.
  EXPECT_EQ(r.registry.reads, (std::vector<String>{u"CLSID " + kGuid, kGuid}));
}

TEST(AsignarPermisosDcom, IdentityThatDidNotTakeIsAFailure) {
  Runner r;
  FakeIdentitySource source;
  source.selected = IdentityOption::EsteUsuario;
  source.usuario = u"juan";
  r.registry.keys[kGuid] = u"Interactive User";
  IdentityRecord record;
  try {
    r.runner.AsignarPermisosDcom(kGuid, source, nullptr, &record);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"La identidad no quedó asignada: RunAs de la AppID " + kGuid +
                               u" tiene \"Interactive User\" en lugar de \"juan\".");
  }
  EXPECT_TRUE(record.RunAsRead);
  EXPECT_EQ(record.RunAs.Text, u"Interactive User");
  // An unregistered server has no AppID key: the tool is not started.
  source.selected = IdentityOption::UsuarioInteractivo;
  EXPECT_THROW(r.runner.AsignarPermisosDcom(u"", source), Exception);
  EXPECT_EQ(r.starter.calls.size(), 1u);
}

TEST(AsignarPermisosDcom, NoCheckWhenTheApplicationIsClosing) {
  // The tool may still be at work: it cannot be judged yet.
  Runner r;
  FakeIdentitySource source;
  r.registry.keys[kGuid] = std::nullopt;
  r.pump.Terminate();
  r.starter.scripts = {{true, 10, false}};
  EXPECT_NO_THROW(r.runner.AsignarPermisosDcom(kGuid, source));
  EXPECT_EQ(r.starter.calls.size(), 1u);
  EXPECT_EQ(r.registry.reads, (std::vector<String>{u"CLSID " + kGuid, kGuid}));
}

TEST(AsignarPermisosDcom, AStopDuringTheWaitFailsWithoutJudging) {
  Runner r;
  FakeIdentitySource source;
  r.registry.keys[kGuid] = std::nullopt;
  r.starter.scripts = {{true, 10, false}};
  const StopOnPass stop(r.pump, 2);
  IdentityRecord record;
  try {
    r.runner.AsignarPermisosDcom(kGuid, source, &stop, &record);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              u"No se esperó a que DComPerm terminara: el proceso se detuvo y el "
              u"programa quedó en ejecución.");
  }
  EXPECT_FALSE(record.RunAsRead);
  EXPECT_EQ(record.AppId, kGuid);
}

TEST(AsignarPermisosDcom, WrapperKeepsOnlyTheMessage) {
  Runner r;
  FakeIdentitySource source;
  r.registry.keys[kGuid] = std::nullopt;
  r.starter.scripts = {{true, 1, true}};
  try {
    r.runner.AsignarPermisosDcom(kGuid, source);
    FAIL();
  } catch (const EOSError&) {
    FAIL() << "the kind must not survive the wrapper";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"System Error.  Code: 6.\r\nThe handle is invalid");
  }
}

// --- Activation ------------------------------------------------------------

TEST(ActivationFailureReason, NamesTheCommonCodesAndAlwaysShowsTheCode) {
  EXPECT_EQ(
      ActivationFailureReason(static_cast<std::int32_t>(0x80080005u), u"Server execution failed"),
      u"No se pudo activar el servidor: el servidor no se inició (0x80080005).");
  const String logon = ActivationFailureReason(static_cast<std::int32_t>(0x8000401Au), u"");
  EXPECT_NE(logon.find(u"no puede iniciar sesión"), String::npos);
  EXPECT_TRUE(logon.ends_with(u"(0x8000401A)."));
  // Any other code keeps the system's words, without their last full stop.
  EXPECT_EQ(ActivationFailureReason(static_cast<std::int32_t>(0x80070002u),
                                    u"El sistema no puede encontrar el archivo especificado.\r\n"),
            u"No se pudo activar el servidor: El sistema no puede encontrar el archivo "
            u"especificado (0x80070002).");
}

TEST(AsignarPermisosDcom, AnErrorDComPermPrintsFailsTheStepWithItsWords) {
  Runner r;
  FakeIdentitySource source;
  r.registry.keys[kGuid] = std::nullopt;
  r.starter.scripts = {{true, 1, false}};
  // The real tool's way: the reason, the system's message, and exit code 0.
  r.starter.output =
      u"ERROR: Cannot set RunAs password.\r\nEl nombre de usuario o la contraseña no son "
      u"correctos.\r\n";
  try {
    r.runner.AsignarPermisosDcom(kGuid, source);
    FAIL() << "the tool's ERROR is a failure";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              u"DComPerm: ERROR: Cannot set RunAs password. El nombre de usuario o la "
              u"contraseña no son correctos.");
  }
}

// --- An identity already in place -------------------------------------------

TEST(IdentityHolds, EachOptionAgainstWhatTheAppIdHolds) {
  const RunAsValue none{true, false, u""};
  const RunAsValue interactive{true, true, u"Interactive User"};
  const RunAsValue juan{true, true, u"DOM\\juan"};
  EXPECT_TRUE(IdentityHolds(none, IdentityOption::UsuarioInicial, u"", {}, u""));
  EXPECT_FALSE(IdentityHolds(interactive, IdentityOption::UsuarioInicial, u"", {}, u""));
  EXPECT_TRUE(IdentityHolds(interactive, IdentityOption::UsuarioInteractivo, u"", {}, u""));
  EXPECT_FALSE(IdentityHolds(none, IdentityOption::UsuarioInteractivo, u"", {}, u""));
  EXPECT_FALSE(IdentityHolds(RunAsValue{}, IdentityOption::UsuarioInicial, u"", {}, u""))
      << "no key: nothing is in place";
  // A named account holds only with its stored password known and equal;
  // Wine keeps no launch secrets, so this is proven here, with the values.
  EXPECT_TRUE(
      IdentityHolds(juan, IdentityOption::EsteUsuario, u"DOM\\juan", String(u"clave"), u"clave"));
  EXPECT_FALSE(
      IdentityHolds(juan, IdentityOption::EsteUsuario, u"DOM\\juan", String(u"otra"), u"clave"));
  EXPECT_FALSE(IdentityHolds(juan, IdentityOption::EsteUsuario, u"DOM\\juan", std::nullopt, u""));
  EXPECT_FALSE(
      IdentityHolds(juan, IdentityOption::EsteUsuario, u"DOM\\pedro", String(u"clave"), u"clave"));
}
