#pragma once
// Starting external programs for the registration run: EjecutarYEsperar
// starts one program hidden through the shell and waits for it while the
// application's windows stay responsive; AsignarPermisosDcom has DComPerm set
// the identity of one server and checks that it took.

#include "platform/AppIdRegistry.h"
#include "platform/MessagePump.h"
#include "platform/ProcessStarter.h"
#include "runtime/String.h"
#include "setup/IdentityCommand.h"

namespace varnel {

// The setup window as the identity step reads it, at every call: a change
// made while a run pumps messages applies to the servers handled after it.
class IIdentitySource {
 public:
  virtual ~IIdentitySource() = default;
  virtual bool InteractivoSelected() const = 0;  // "Usuario interactivo"
  virtual bool InicialSelected() const = 0;      // "Usuario inicial"
  virtual bool EsteUsuarioSelected() const = 0;  // "Este usuario"
  virtual String Usuario() const = 0;
  virtual String Contrasena() const = 0;
};

class CommandRunner {
 public:
  CommandRunner(IProcessStarter& starter, IMessagePump& pump, IAppIdRegistry& registry) noexcept
      : starter_(starter), pump_(pump), registry_(registry) {}

  // Starts `program` with `parameters` and waits until it has ended: one full
  // pump pass before the first look at the process, then pass after pass
  // while the thread sleeps between arrivals. The wait also ends after the
  // pass in which the application's terminating flag got set; from then on
  // every call starts its program, pumps once and returns without waiting.
  // True once started (and waited for), false when the shell refused to
  // start it; a refusal raises nothing. Any failure on the way comes out as
  // a plain Exception with the same message.
  bool EjecutarYEsperar(const String& program, const String& parameters);

  // EjecutarYEsperar for callers to whom a refused start is a failure:
  // throws Exception("No se pudo ejecutar " + program + ".").
  void EjecutarYEsperarOFallar(const String& program, const String& parameters);

  // Runs DComPerm with the parameters for the option selected in `source`
  // (each of the three tested in turn), then checks the AppID's RunAs value
  // once the tool has ended. A refused start, an identity that did not take
  // and any other failure come out as a plain Exception.
  void AsignarPermisosDcom(const String& guid, const IIdentitySource& source);

 private:
  enum class Outcome { NotStarted, Ended, NotAwaited };
  Outcome StartAndWait(const String& program, const String& parameters);
  void SetIdentity(const String& guid, IdentityOption option, const String& usuario,
                   const String& contrasena);

  IProcessStarter& starter_;
  IMessagePump& pump_;
  IAppIdRegistry& registry_;
};

}  // namespace varnel
