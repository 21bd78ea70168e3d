#pragma once
// The registration job, the one thing this program exists for, as both front
// ends run it: the request is validated, the servers are collected (every
// "*.exe" of a folder tree, or one program), phase 1 starts each one with
// " /REGSERVER", phase 2 sets the identity DCOM launches each one under, and
// the outcome says what became of every server. The setup window and the
// command line differ only in what they hand in (the progress, the identity)
// and in how they present the outcome.

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/FolderEnumerator.h"
#include "progress/RunProgress.h"
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

// What the administrator asked for, as the window's controls or the command
// line's switches give it.
struct JobRequest {
  bool EsteUsuario = false;  // "Este usuario": the credentials are checked
  String Usuario{};
  String Contrasena{};
  String Confirmacion{};
  int Modo = 0;  // 0 "Directorio", 1 "Programa"
  String Ruta{};
  bool Verificar = false;  // a third pass activates each prepared server
};

// With "Este usuario" selected, in this order: a user name, a password, and
// a confirmation equal to it code unit by code unit. Nothing is trimmed.
void ValidarCredenciales(bool esteUsuario, const String& usuario, const String& contrasena,
                         const String& confirmacion);

// A run needs a folder (mode 0) or a program (any other mode).
void ValidarRuta(int modo, const String& ruta);

enum class RunPhase { Registro, Identidad, Consulta, Verificacion, Busqueda, Restauracion };

// What became of one server in one phase.
struct ItemResult {
  String Path{};
  RunPhase Phase = RunPhase::Registro;
  bool Ok = false;
  String Reason{};  // why it failed; empty when Ok
  // The identity and inquiry phases only:
  String ProgId{};
  String Clsid{};             // empty when the class is not registered
  IdentityRecord Identity{};  // the AppID and the RunAs it holds afterwards
};

// How a job ended.
struct JobOutcome {
  std::int32_t Servers = 0;       // paths collected
  TStringList Errores;            // "path: reason", one per failed step
  std::vector<ItemResult> Items;  // in the order handled, every pass
  bool Stopped = false;           // the user asked to stop
  // Servers that a stop kept from one of their steps: after a stop in
  // phase 1 that is every server, since none got its identity.
  std::int32_t NotHandled = 0;
  // A failure outside the per-item guards, which ended the job early, and
  // the item it ended at (none when it came between items).
  std::exception_ptr Failure;
  std::optional<ItemResult> EndedAt;

  // No server, and no folder that could not be read either.
  bool NothingFound() const { return Servers == 0 && !Failure && Errores.Count() == 0; }
  bool Succeeded() const { return !Failure && Errores.Count() == 0 && !Stopped; }
  // The summary box's text: the one sentence, then what failed.
  String SummaryText() const;
};

// Each result as it is known; a front end that writes lines reports them,
// the window has no use for them.
class IItemResults {
 public:
  virtual ~IItemResults() = default;
  virtual void ResultadoDelItem(const ItemResult& item) = 0;
};

// One server's steps over the outside services. `stop` is read while a
// started program is waited for: a stop ends the wait and fails the step,
// leaving the program running.
class IRunSteps {
 public:
  virtual ~IRunSteps() = default;
  // What must hold before anything is started, each failure a refusal
  // (Exception) with its reason: rights to write identities, DComPerm found,
  // and for "Este usuario" an account that can log on.
  virtual void Comprobar(const JobRequest& request) = 0;
  virtual void LeerVersion(const String& path, versioninfo::TEXEVersionData& data) = 0;
  // Starts the server with " /REGSERVER" and waits; a refused start fails.
  virtual void Registrar(const String& path, const IStopSignal& stop) = 0;
  virtual void SetServerName(const String& progId) = 0;
  virtual String ServerGUID() = 0;
  // Checks that the class `guid` is the one the server at `path` registered
  // (read in the registry view of the server's machine type) and puts the
  // AppID DCOM reads for it into `record`; fails naming the file the class
  // is registered for when that is another one.
  virtual void ComprobarRegistro(const String& path, const String& guid,
                                 IdentityRecord& record) = 0;
  // Fills `record` as it goes, also when it fails.
  virtual void AsignarPermisosDcom(const String& guid, const IStopSignal& stop,
                                   IdentityRecord& record) = 0;
  // Reads the RunAs DCOM reads for the class `guid` of the server at `path`
  // into `record`, first finding the class's AppID (in the server's view)
  // when the record has none yet.
  virtual void LeerIdentidad(const String& path, const String& guid, IdentityRecord& record) = 0;
  // Activates the class of `progId` as a local server and releases it; a
  // failed activation fails with a reason that gives its code.
  virtual void Verificar(const String& progId) = 0;
};

using ProgressFactory = std::function<std::unique_ptr<progress::IRunProgress>()>;

// Phase 1 registers every server, phase 2 sets each one's identity. A step
// failing inside an item's guard adds one entry "path: reason" to
// `outcome.Errores` and the pass goes on; any other failure ends the run,
// after `progress` has been finished, and is thrown on. A server whose
// identifier is not registered fails its phase-2 step: DComPerm is not
// started with an empty identifier. ContinuarProceso is read before each
// item (and again once its label is shown): after a stop no further program
// is started and phase 2 does not begin. `outcome.Items` holds every item's
// result, also after a failure, and `outcome.EndedAt` the item it ended at.
// With `verify`, a third pass activates each server whose two steps
// succeeded (IRunSteps::Verificar).
void ProcesarServidores(IRunSteps& steps, progress::IRunProgress& progress, const TStringList& list,
                        JobOutcome& outcome, IItemResults* results = nullptr, bool verify = false);

class RegistrationJob {
 public:
  RegistrationJob(IRunSteps& steps, IFolderEnumerator& folders)
      : steps_(steps), folders_(folders) {}

  // Validates the request and makes the checks of IRunSteps::Comprobar,
  // throwing a refusal before anything runs; then collects the servers and, when there are any,
  // runs both phases with a progress made for this run and released before the outcome returns.
  JobOutcome Ejecutar(const JobRequest& request, const ProgressFactory& progress,
                      IItemResults* results = nullptr);

  // The same validation and collection; then each server's class and the
  // identity it has now, one result each, starting nothing.
  JobOutcome Consultar(const JobRequest& request, IItemResults& results);

 private:
  // Validates, collects into gSlArchivos and, when it holds any, runs
  // `passes` over it; a failure on the way is the outcome's early end.
  template <typename Body>
  JobOutcome Run(const JobRequest& request, bool checks, IItemResults* results, Body passes);
  // Collects into gSlArchivos; a folder it cannot read is a failed item of
  // its own (phase Busqueda), and every server it can read is still found.
  void BuscarArchivos(const String& folder, const String& mask, bool recursive, JobOutcome& outcome,
                      IItemResults* results);

  IRunSteps& steps_;
  IFolderEnumerator& folders_;
  std::unique_ptr<TStringList> gSlArchivos;  // the paths of one run
};

}  // namespace varnel::setup
