#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "runtime/Exceptions.h"
#include "setup/CommandRunner.h"
#include "setup/IdentityCommand.h"

using namespace varnel;

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

class FakeProcess final : public IStartedProcess {
 public:
  FakeProcess(Journal& journal, ProcessScript script, std::function<void()> onEnd)
      : journal_(journal), script_(script), onEnd_(std::move(onEnd)) {}
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

 private:
  Journal& journal_;
  ProcessScript script_;
  std::function<void()> onEnd_;
  int waits_ = 0;
};

class FakeStarter final : public IProcessStarter {
 public:
  explicit FakeStarter(Journal& journal) : journal_(journal) {}
  std::unique_ptr<IStartedProcess> Start(const String& program, const String& parameters) override {
    journal_.push_back("start");
    calls.push_back({program, parameters});
    if (refuse) return nullptr;
    const ProcessScript script = scripts.empty() ? ProcessScript{} : scripts.front();
    if (!scripts.empty()) scripts.pop_front();
    return std::make_unique<FakeProcess>(journal_, script, onEnd);
  }
  std::vector<std::pair<String, String>> calls;
  std::deque<ProcessScript> scripts;
  bool refuse = false;
  std::function<void()> onEnd;  // what the tool does to the registry as it ends

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
  std::map<String, std::optional<String>> keys;  // key name -> RunAs (nullopt: no value)
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
  CommandRunner runner{starter, pump, registry};
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

TEST(CheckIdentity, AcceptsWhatEachOptionLeaves) {
  FakeRegistry registry;
  registry.keys[kGuid] = u"Interactive User";
  EXPECT_NO_THROW(CheckIdentity(registry, kGuid, IdentityOption::UsuarioInteractivo, u""));
  registry.keys[kGuid] = std::nullopt;
  EXPECT_NO_THROW(CheckIdentity(registry, kGuid, IdentityOption::UsuarioInicial, u""));
  registry.keys[kGuid] = u"DOM\\Juan Pérez";
  EXPECT_NO_THROW(CheckIdentity(registry, kGuid, IdentityOption::EsteUsuario, u"DOM\\Juan Pérez"));
  EXPECT_EQ(registry.reads, (std::vector<String>{kGuid, kGuid, kGuid}));
}

TEST(CheckIdentity, RefusesMissingKeyAndOtherValues) {
  const String prefix = u"No se pudo asignar la identidad DCOM de " + kGuid + u": ";
  const auto messageOf = [](FakeRegistry& registry, IdentityOption option, StringView user) {
    try {
      CheckIdentity(registry, kGuid, option, user);
    } catch (const Exception& e) {
      return e.Message();
    }
    return String(u"(no failure)");
  };
  FakeRegistry registry;
  EXPECT_EQ(messageOf(registry, IdentityOption::UsuarioInteractivo, u""),
            prefix + u"no existe la clave AppID.");
  EXPECT_EQ(messageOf(registry, IdentityOption::UsuarioInicial, u""),
            prefix + u"no existe la clave AppID.");
  registry.keys[kGuid] = std::nullopt;
  EXPECT_EQ(messageOf(registry, IdentityOption::UsuarioInteractivo, u""),
            prefix + u"RunAs no quedó en \"Interactive User\".");
  registry.keys[kGuid] = u"interactive user";  // the check is exact
  EXPECT_EQ(messageOf(registry, IdentityOption::UsuarioInteractivo, u""),
            prefix + u"RunAs no quedó en \"Interactive User\".");
  registry.keys[kGuid] = u"Interactive User";
  EXPECT_EQ(messageOf(registry, IdentityOption::UsuarioInicial, u""),
            prefix + u"RunAs no se eliminó.");
  EXPECT_EQ(messageOf(registry, IdentityOption::EsteUsuario, u"juan"),
            prefix + u"RunAs no quedó en \"juan\".");
  registry.keys[kGuid] = u"";  // an empty value is still a value
  EXPECT_EQ(messageOf(registry, IdentityOption::UsuarioInicial, u""),
            prefix + u"RunAs no se eliminó.");
}

TEST(CheckIdentity, EmptyIdentifierNamesTheBracedKey) {
  FakeRegistry registry;
  registry.keys[kGuid] = u"Interactive User";
  try {
    CheckIdentity(registry, u"", IdentityOption::UsuarioInteractivo, u"");
    FAIL() << "an empty identifier has no AppID key";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              u"No se pudo asignar la identidad DCOM de {}: no existe la clave AppID.");
  }
  EXPECT_EQ(registry.reads, std::vector<String>{u"{}"});
}

// --- EjecutarYEsperar ------------------------------------------------------

TEST(EjecutarYEsperar, PumpsOnceBeforeTheFirstLookEvenWhenAlreadyEnded) {
  Runner r;
  r.starter.scripts = {{true, 0, false}};
  EXPECT_TRUE(r.runner.EjecutarYEsperar(u"C:\\s\\a.exe", u" /REGSERVER"));
  EXPECT_EQ(r.journal, (Journal{"start", "pump", "look", "close"}));
  EXPECT_EQ(r.starter.calls,
            (std::vector<std::pair<String, String>>{{u"C:\\s\\a.exe", u" /REGSERVER"}}));
}

TEST(EjecutarYEsperar, AlternatesPassAndLookUntilTheProcessEnds) {
  Runner r;
  r.starter.scripts = {{true, 3, false}};
  EXPECT_TRUE(r.runner.EjecutarYEsperar(u"p", u""));
  EXPECT_EQ(r.journal, (Journal{"start", "pump", "look", "wait", "pump", "look", "wait", "pump",
                                "look", "wait", "pump", "look", "close"}));
  EXPECT_EQ(r.starter.calls.at(0).second, u"");  // an empty tail stays empty
}

TEST(EjecutarYEsperar, QuitEndsTheWaitAfterItsPassAndTheFlagStays) {
  Runner r;
  r.pump.quitOnPass = 2;
  r.starter.scripts = {{true, 100, false}, {true, 100, false}, {true, 100, false}};
  EXPECT_TRUE(r.runner.EjecutarYEsperar(u"first", u""));
  EXPECT_EQ(r.journal, (Journal{"start", "pump", "look", "wait", "pump", "look", "close"}));
  // Every later call starts its program, makes one pass and does not wait.
  for (const char16_t* program : {u"second", u"third"}) {
    r.journal.clear();
    EXPECT_TRUE(r.runner.EjecutarYEsperar(program, u""));
    EXPECT_EQ(r.journal, (Journal{"start", "pump", "look", "close"}));
  }
  EXPECT_EQ(r.starter.calls.size(), 3u);
}

TEST(EjecutarYEsperar, NoHandleMeansNothingToWaitFor) {
  Runner r;
  r.starter.scripts = {{false, 5, false}};
  EXPECT_TRUE(r.runner.EjecutarYEsperar(u"doc.txt", u""));
  EXPECT_EQ(r.journal, (Journal{"start", "close"}));
}

TEST(EjecutarYEsperar, RefusedStartIsFalseWithoutException) {
  Runner r;
  r.starter.refuse = true;
  bool result = true;
  EXPECT_NO_THROW(result = r.runner.EjecutarYEsperar(u"NoExiste", u" x"));
  EXPECT_FALSE(result);
  EXPECT_EQ(r.journal, (Journal{"start"}));
}

TEST(EjecutarYEsperar, FailuresComeOutAsPlainExceptionsWithTheSameMessage) {
  Runner r;
  r.starter.scripts = {{true, 1, true}};
  try {
    r.runner.EjecutarYEsperar(u"p", u"");
    FAIL() << "the failed look must come out";
  } catch (const EOSError&) {
    FAIL() << "the kind must not survive the wrapper";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"System Error.  Code: 6.\r\nThe handle is invalid");
  }
  EXPECT_EQ(r.journal.back(), "close");  // the handle is released on the way out
}

TEST(EjecutarYEsperarOFallar, RefusalNamesTheProgram) {
  Runner r;
  r.starter.refuse = true;
  try {
    r.runner.EjecutarYEsperarOFallar(u"C:\\s\\Servidor.exe", u" /REGSERVER");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"No se pudo ejecutar C:\\s\\Servidor.exe.");
  }
  r.starter.refuse = false;
  EXPECT_NO_THROW(r.runner.EjecutarYEsperarOFallar(u"C:\\s\\Servidor.exe", u" /REGSERVER"));
}

// --- AsignarPermisosDcom ---------------------------------------------------

TEST(AsignarPermisosDcom, RunsDComPermForTheSelectedOptionAndChecks) {
  Runner r;
  FakeIdentitySource source;
  r.starter.onEnd = [&] { r.registry.keys[kGuid] = u"Interactive User"; };
  r.starter.scripts = {{true, 1, false}};
  r.runner.AsignarPermisosDcom(kGuid, source);
  ASSERT_EQ(r.starter.calls.size(), 1u);
  EXPECT_EQ(r.starter.calls[0].first, u"DComPerm");
  EXPECT_EQ(r.starter.calls[0].second, u" -runas " + kGuid + u" \"Interactive User\"");
  EXPECT_EQ(r.registry.reads, std::vector<String>{kGuid});
  EXPECT_EQ(source.selectionReads, 3);  // all three tests are made
  EXPECT_EQ(source.textReads, 0);       // credentials only for "Este usuario"
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

TEST(AsignarPermisosDcom, RefusedStartIsAFailure) {
  Runner r;
  FakeIdentitySource source;
  r.starter.refuse = true;
  r.registry.keys[kGuid] = u"Interactive User";  // left from before: no reason to pass
  try {
    r.runner.AsignarPermisosDcom(kGuid, source);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"No se pudo ejecutar DComPerm.");
  }
  EXPECT_TRUE(r.registry.reads.empty());
}

TEST(AsignarPermisosDcom, IdentityThatDidNotTakeIsAFailure) {
  Runner r;
  FakeIdentitySource source;
  source.selected = IdentityOption::EsteUsuario;
  source.usuario = u"juan";
  r.registry.keys[kGuid] = u"Interactive User";
  try {
    r.runner.AsignarPermisosDcom(kGuid, source);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"No se pudo asignar la identidad DCOM de " + kGuid +
                               u": RunAs no quedó en \"juan\".");
  }
  // An unregistered server: the tool runs (two blanks) and the check fails.
  source.selected = IdentityOption::UsuarioInteractivo;
  EXPECT_THROW(r.runner.AsignarPermisosDcom(u"", source), Exception);
  EXPECT_EQ(r.starter.calls.back().second, u" -runas  \"Interactive User\"");
}

TEST(AsignarPermisosDcom, NoCheckWhenTheApplicationIsClosing) {
  // The tool may still be at work: it cannot be judged yet.
  Runner r;
  FakeIdentitySource source;
  r.pump.Terminate();
  r.starter.scripts = {{true, 10, false}};
  EXPECT_NO_THROW(r.runner.AsignarPermisosDcom(kGuid, source));
  EXPECT_EQ(r.starter.calls.size(), 1u);
  EXPECT_TRUE(r.registry.reads.empty());
}

TEST(AsignarPermisosDcom, WrapperKeepsOnlyTheMessage) {
  Runner r;
  FakeIdentitySource source;
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
