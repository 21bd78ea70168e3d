#pragma once
// Starting external programs for the registration run: EjecutarYEsperar
// starts one program hidden through the shell and waits for it while the
// application's windows stay responsive; AsignarPermisosDcom has DComPerm set
// the identity of one server and checks that it took.

#include "platform/AppIdRegistry.h"
#include "platform/CapturedProcess.h"
#include "platform/Clock.h"
#include "platform/MessagePump.h"
#include "platform/ProcessStarter.h"
#include "runtime/String.h"
#include "setup/IdentityCommand.h"
#include "setup/StopSignal.h"

namespace varnel::setup {

// The identity option as the identity step reads it, at every call: the
// setup window's controls (a change made while a run pumps messages applies
// to the servers handled after it) or the command line's switches.
class IIdentitySource {
 public:
  virtual ~IIdentitySource() = default;
  virtual bool InteractivoSelected() const = 0;  // "Usuario interactivo"
  virtual bool InicialSelected() const = 0;      // "Usuario inicial"
  virtual bool EsteUsuarioSelected() const = 0;  // "Este usuario"
  virtual String Usuario() const = 0;
  virtual String Contrasena() const = 0;
};

// The AppID key DCOM reads for the class `guid` (braced or not): the one
// the class's "AppID" value in `view` names, else the class's own identifier.
String ClassAppIdKey(IAppIdRegistry& registry, const String& guid, RegistryView view);

class CommandRunner {
 public:
  // Servers are started through `starter` (the shell); DComPerm through
  // `tools`, by the full path UsarDComPerm gives, with its output captured.
  CommandRunner(IProcessStarter& starter, ICapturingStarter& tools, IMessagePump& pump,
                IAppIdRegistry& registry) noexcept
      : starter_(starter), tools_(tools), pump_(pump), registry_(registry) {}

  // The DComPerm.exe the identity step starts, a full path: never a bare
  // name, which would be looked for in the current folder too.
  void UsarDComPerm(String fullPath) { dcomPerm_ = std::move(fullPath); }

  // A bound on each wait: a program still running after `seconds` (read on
  // `clock`) fails its step, named with the bound, and is left running, as
  // after a stop. The caller sees to it that the thread wakes now and then
  // (a timer), since a wait otherwise sleeps until the program ends.
  void LimitarEspera(std::uint32_t seconds, IClock& clock) {
    limitSeconds_ = seconds;
    clock_ = &clock;
  }

  // Starts `program` hidden with `parameters` and waits until it has ended:
  // one full pump pass before the first look at the process, then pass after
  // pass while the thread sleeps between arrivals. The wait also ends after
  // the pass in which the application's terminating flag got set; from then
  // on every call starts its program, pumps once and returns without
  // waiting. A stop (`stop`, read after each pass) ends the wait at once and
  // leaves the program running. A refused start and a wait cut short by a
  // stop are failures whose reason names the program as `nombre` ("el
  // servidor", "DComPerm") and says why:
  //   "No se pudo iniciar <nombre>: <the system's text>."
  //   "No se esperó a que <nombre> terminara: ..."
  // Every failure comes out as a plain Exception.
  void EjecutarYEsperar(const String& program, const String& parameters, const String& nombre,
                        const IStopSignal* stop = nullptr);

  // Runs DComPerm for the AppID in `record` (when it holds none, the one
  // DCOM reads for `guid` in the 64-bit view) with the parameters for the
  // option selected in `source` (each of the three tested in turn), then
  // checks that AppID's RunAs once the tool has ended. An AppID key that
  // does not exist fails before DComPerm is started: the tool never creates
  // it. DComPerm exits with 0 whatever happens: an "ERROR:" it prints fails
  // the step with its words. A refused start, a stop during the wait, an
  // identity that did not take and any other failure come out as a plain
  // Exception; `record`, when given, keeps what was found on the way.
  void AsignarPermisosDcom(const String& guid, const IIdentitySource& source,
                           const IStopSignal* stop = nullptr, IdentityRecord* record = nullptr);

 private:
  enum class Outcome { Ended, NotAwaited };
  // Starts and waits; a refused start or a stop throws, naming `nombre`.
  Outcome StartAndWait(const String& program, const String& parameters, const String& nombre,
                       const IStopSignal* stop);
  // The wait of a started process; a stop or the bound throws, naming
  // `nombre` and `program`.
  Outcome Wait(IStartedProcess& process, const String& nombre, const String& program,
               const IStopSignal* stop);
  void SetIdentity(const String& appId, IdentityOption option, const String& usuario,
                   const String& contrasena, const IStopSignal* stop, IdentityRecord& record);

  IProcessStarter& starter_;
  ICapturingStarter& tools_;
  IMessagePump& pump_;
  IAppIdRegistry& registry_;
  String dcomPerm_;
  std::uint32_t limitSeconds_ = 0;  // 0: no bound
  IClock* clock_ = nullptr;
};

}  // namespace varnel::setup
