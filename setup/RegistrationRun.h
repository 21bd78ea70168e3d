#pragma once
// The registration run's rules that need no window: the checks made before
// anything starts, and the two passes over the servers.

#include <cstdint>
#include <memory>
#include <vector>

#include "runtime/StringList.h"
#include "setup/IdentityCommand.h"
#include "setup/StopSignal.h"
#include "versioninfo/VersionInfo.h"

namespace varnel::setup {

inline constexpr char16_t kRegServerParameters[] = u" /REGSERVER";
inline constexpr char16_t kSummaryOk[] = u"Proceso terminado exitosamente.";
inline constexpr char16_t kSummaryErrors[] = u"Se presentaron errores durante el proceso.";
inline constexpr char16_t kNothingFound[] =
    u"No se encontraron servidores en el directorio seleccionado.";

// With "Este usuario" selected, in this order: a user name, a password, and
// a confirmation equal to it code unit by code unit. Nothing is trimmed.
void ValidarCredenciales(bool esteUsuario, const String& usuario, const String& contrasena,
                         const String& confirmacion);

// A run needs a folder (mode 0) or a program (any other mode).
void ValidarRuta(int modo, const String& ruta);

enum class RunPhase { Registro, Identidad };

// What became of one server in one phase.
struct ItemResult {
  String Path{};
  RunPhase Phase = RunPhase::Registro;
  bool Ok = false;
  String Reason{};  // why it failed; empty when Ok
  // The identity phase only:
  String ProgId{};
  String Clsid{};             // empty when the class is not registered
  IdentityRecord Identity{};  // the AppID used and the RunAs read back
};

// A run's results in a form other front ends can report from.
struct RunReport {
  std::vector<ItemResult> Items;  // in the order handled, both phases
  bool Stopped = false;           // the user asked to stop
  // Servers that a stop kept from one of their steps: after a stop in
  // phase 1 that is every server, since none got its identity.
  std::int32_t NotHandled = 0;
};

// The progress window as the run uses it.
class IRunProgress {
 public:
  virtual ~IRunProgress() = default;
  virtual void Inicializar(std::int32_t pCantidadDeRegistros, bool pResetAll) = 0;
  virtual void MensajeDelProceso(const String& value) = 0;
  virtual void NombreItemActual(const String& value) = 0;
  virtual void ItemActualTerminado() = 0;
  virtual void Finalizar() = 0;
  // False once the user asked to stop; reset by Inicializar(n, true).
  virtual bool ContinuarProceso() const = 0;
  // Each item's result as it is known, before ItemActualTerminado; a
  // progress that writes lines reports it, the window has no use for it.
  virtual void ResultadoDelItem(const ItemResult&) {}
};

// Each step of one server, as the setup window carries it out. `stop` is
// read while a started program is waited for: a stop ends the wait and fails
// the step, leaving the program running.
class IRunSteps {
 public:
  virtual ~IRunSteps() = default;
  virtual std::unique_ptr<IRunProgress> CrearVentanaDeProgreso() = 0;
  virtual void LeerVersion(const String& path, TEXEVersionData& data) = 0;
  // Starts the server with " /REGSERVER" and waits; a refused start fails.
  virtual void Registrar(const String& path, const IStopSignal& stop) = 0;
  virtual void SetServerName(const String& progId) = 0;
  virtual String ServerGUID() = 0;
  // Fills `record` as it goes, also when it fails.
  virtual void AsignarPermisosDcom(const String& guid, const IStopSignal& stop,
                                   IdentityRecord& record) = 0;
};

// Phase 1 registers every server, phase 2 sets each one's identity. A step
// failing inside an item's guard adds one entry "path: reason" to `errores`
// and the pass goes on; any other failure ends the run, after the progress
// window has been finished and released. A server whose identifier is not
// registered fails its phase-2 step: DComPerm is not started with an empty
// identifier. ContinuarProceso is read before each item (and again once its
// label is shown): after a stop no further program is started and phase 2
// does not begin. `report` holds every item's result, also after a failure.
void ProcesarServidores(IRunSteps& steps, const TStringList& list, TStringList& errores,
                        RunReport& report);
void ProcesarServidores(IRunSteps& steps, const TStringList& list, TStringList& errores);

}  // namespace varnel::setup
