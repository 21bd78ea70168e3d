#include "setup/RegistrationJob.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "runtime/Exceptions.h"
#include "setup/FileSearch.h"
#include "setup/RunSummary.h"
#include "setup/ServerNames.h"

namespace varnel::setup {

void ValidarCredenciales(bool esteUsuario, const String& usuario, const String& contrasena,
                         const String& confirmacion) {
  if (!esteUsuario) return;
  if (usuario.empty()) throw Exception(u"Debe digitar un Usuario.");
  if (contrasena.empty()) throw Exception(u"Debe digitar una contraseña.");
  if (contrasena != confirmacion) throw Exception(u"La confirmación de la contraseña no es igual.");
}

void ValidarRuta(int modo, const String& ruta) {
  if (!ruta.empty()) return;
  throw Exception(modo == 0 ? u"Debe seleccionar un directorio."
                            : u"Debe seleccionar un programa.");
}

String JobOutcome::SummaryText() const {
  if (Succeeded()) return kSummaryOk;
  std::optional<std::int32_t> sinProcesar;
  if (Stopped) sinProcesar = NotHandled;
  return ErrorSummaryText(Errores, sinProcesar);
}

namespace {

// The progress window's stop flag, as the steps read it.
class ProgressStop final : public IStopSignal {
 public:
  explicit ProgressStop(const progress::IRunProgress& progress) : progress_(progress) {}
  bool StopRequested() const override { return !progress_.ContinuarProceso(); }

 private:
  const progress::IRunProgress& progress_;
};

// The two passes over one list of servers.
class Passes {
 public:
  Passes(IRunSteps& steps, progress::IRunProgress& progress, JobOutcome& outcome,
         IItemResults* results)
      : steps_(steps), progress_(progress), stop_(progress), outcome_(outcome), results_(results) {}

  void Run(const TStringList& list, bool verify) {
    try {
      Both(list);
      if (verify && !outcome_.Stopped) Verify(list);
    } catch (...) {
      outcome_.EndedAt = std::move(current_);
      if (outcome_.EndedAt) {
        outcome_.EndedAt->Ok = false;
        outcome_.EndedAt->Reason = CurrentExceptionMessage();
      }
      throw;
    }
  }

 private:
  void Both(const TStringList& list) {
    const std::int32_t count = list.Count();
    progress_.Inicializar(count, true);
    progress_.MensajeDelProceso(u"Registrando Servidores DCOM...");
    labels_.reserve(static_cast<std::size_t>(count));
    for (const String& path : list) {
      if (stop_.StopRequested()) break;
      current_ = ItemResult{.Path = path};
      labels_.push_back(Etiqueta(path));
      if (!StartItem(labels_.back())) break;
      DoItem([&](ItemResult&) { steps_.Registrar(path, stop_); });
    }
    // Inicializar below clears the flag, so the stop is taken here: every
    // server then lacks its identity.
    if (stop_.StopRequested()) {
      outcome_.Stopped = true;
      outcome_.NotHandled = count;
      return;
    }

    NextPass(count, u"Asignando permisos DCOM...");
    std::int32_t handled = 0;
    for (const String& path : list) {
      current_ = ItemResult{
          .Path = path, .Phase = RunPhase::Identidad, .ProgId = ProgIdFor(BaseName(path))};
      // Registering leaves the executable as it was: its label is the one
      // the first pass read.
      if (!StartItem(labels_[static_cast<std::size_t>(handled)])) break;
      ++handled;
      steps_.SetServerName(current_->ProgId);
      DoItem([&](ItemResult& item) {
        item.Clsid = steps_.ServerGUID();
        if (item.Clsid.empty()) throw Exception(NotRegisteredReason(item.ProgId));
        steps_.ComprobarRegistro(item.Path, item.Clsid, item.Identity);
        steps_.AsignarPermisosDcom(item.Clsid, stop_, item.Identity);
      });
    }
    EndPass(count - handled);
  }

  // Activates each server whose two steps succeeded, as a client would, and
  // releases it: proof that DCOM can launch it under its new identity.
  void Verify(const TStringList& list) {
    std::vector<String> verified;
    for (const String& path : list)
      if (std::none_of(outcome_.Items.begin(), outcome_.Items.end(),
                       [&](const ItemResult& item) { return item.Path == path && !item.Ok; }))
        verified.push_back(path);
    const auto count = static_cast<std::int32_t>(verified.size());
    NextPass(count, u"Verificando servidores DCOM...");
    std::int32_t handled = 0;
    for (const String& path : verified) {
      current_ = ItemResult{
          .Path = path, .Phase = RunPhase::Verificacion, .ProgId = ProgIdFor(BaseName(path))};
      if (!StartItem(BaseName(path))) break;
      ++handled;
      DoItem([&](ItemResult& item) { steps_.Verificar(item.ProgId); });
    }
    EndPass(count - handled);
  }

  // The window closes the pass before and opens the next one.
  void NextPass(std::int32_t count, const String& message) {
    progress_.Finalizar();
    progress_.Inicializar(count, true);
    progress_.MensajeDelProceso(message);
  }

  // After a pass that a stop may have cut short: `left` servers lack a step.
  void EndPass(std::int32_t left) {
    current_.reset();
    if (!stop_.StopRequested()) return;
    outcome_.Stopped = true;
    outcome_.NotHandled = left;
  }

  // The label of an item: base name, " - ", and the executable's description
  // as its own version information gives it (the record starts empty).
  String Etiqueta(const String& path) {
    versioninfo::TEXEVersionData data;
    steps_.LeerVersion(path, data);
    return BaseName(path) + u" - " + data.FileDescription;
  }

  // Shows the item's label; false when a stop came before it or while the
  // label's pass took the click, so nothing of the item is started.
  bool StartItem(const String& label) {
    if (stop_.StopRequested()) {
      current_.reset();
      return false;
    }
    progress_.NombreItemActual(label);
    if (!stop_.StopRequested()) return true;
    current_.reset();
    return false;
  }

  // Runs the current item's step under the per-item guard: a failure is the
  // item's, with its reason, and the run goes on.
  template <typename Step>
  void DoItem(Step step) {
    ItemResult item = *current_;
    try {
      step(item);
      item.Ok = true;
    } catch (const std::exception&) {
      item.Reason = CurrentExceptionMessage();
    }
    current_.reset();
    // What the AppID holds after a step that ended before reading it back
    // (a stop, a refused start), so the outcome says what is in place.
    if (!item.Identity.AppId.empty() && !item.Identity.RunAsRead) ReadBack(item);
    if (!item.Ok) outcome_.Errores.Add(item.Path + u": " + item.Reason);
    outcome_.Items.push_back(std::move(item));
    if (results_) results_->ResultadoDelItem(outcome_.Items.back());
    progress_.ItemActualTerminado();
  }

  void ReadBack(ItemResult& item) {
    try {
      IdentityRecord now = item.Identity;
      steps_.LeerIdentidad(item.Path, item.Clsid, now);
      item.Identity.RunAs = now.RunAs;
    } catch (const std::exception&) {
      // Unknown: the outcome shows none rather than losing the item's result.
    }
  }

  IRunSteps& steps_;
  progress::IRunProgress& progress_;
  ProgressStop stop_;
  JobOutcome& outcome_;
  IItemResults* results_;
  std::optional<ItemResult> current_;  // the item being handled
  std::vector<String> labels_;         // the items' labels, in the list's order
};

}  // namespace

void ProcesarServidores(IRunSteps& steps, progress::IRunProgress& progress, const TStringList& list,
                        JobOutcome& outcome, IItemResults* results, bool verify) {
  try {
    Passes(steps, progress, outcome, results).Run(list, verify);
  } catch (...) {
    // The window is finished on every way out; the first failure is the one
    // that reaches the user.
    try {
      progress.Finalizar();
    } catch (...) {
    }
    throw;
  }
  progress.Finalizar();
}

void RegistrationJob::BuscarArchivos(const String& folder, const String& mask, bool recursive,
                                     JobOutcome& outcome, IItemResults* results) {
  FileSearch search(folders_, *gSlArchivos);
  search.BuscarArchivos(folder, mask, recursive);
  for (const FolderFailure& failure : search.FolderFailures()) {
    outcome.Errores.Add(failure.Folder + u": " + failure.Reason);
    outcome.Items.push_back(
        {.Path = failure.Folder, .Phase = RunPhase::Busqueda, .Reason = failure.Reason});
    if (results) results->ResultadoDelItem(outcome.Items.back());
  }
}

template <typename Body>
JobOutcome RegistrationJob::Run(const JobRequest& request, bool checks, IItemResults* results,
                                Body passes) {
  // A refusal leaves from here: nothing has run.
  ValidarCredenciales(request.EsteUsuario, request.Usuario, request.Contrasena,
                      request.Confirmacion);
  ValidarRuta(request.Modo, request.Ruta);
  if (checks) steps_.Comprobar(request);

  JobOutcome outcome;
  gSlArchivos = std::make_unique<TStringList>();  // the paths live for one run
  try {
    if (request.Modo == 0) {
      BuscarArchivos(request.Ruta, u"*.exe", true, outcome, results);
    } else {
      gSlArchivos->Add(request.Ruta);
    }
    outcome.Servers = gSlArchivos->Count();
    if (outcome.Servers != 0) passes(outcome);
  } catch (...) {
    outcome.Failure = std::current_exception();
  }
  gSlArchivos.reset();
  return outcome;
}

JobOutcome RegistrationJob::Ejecutar(const JobRequest& request, const ProgressFactory& progress,
                                     IItemResults* results) {
  return Run(request, /*checks=*/true, results, [&](JobOutcome& outcome) {
    const std::unique_ptr<progress::IRunProgress> window = progress();
    ProcesarServidores(steps_, *window, *gSlArchivos, outcome, results, request.Verificar);
  });
}

JobOutcome RegistrationJob::Consultar(const JobRequest& request, IItemResults& results) {
  // An inquiry changes nothing: it needs no rights, tool or logon.
  return Run(request, /*checks=*/false, &results, [&](JobOutcome& outcome) {
    for (const String& path : *gSlArchivos) {
      ItemResult item{
          .Path = path, .Phase = RunPhase::Consulta, .ProgId = ProgIdFor(BaseName(path))};
      try {
        steps_.SetServerName(item.ProgId);
        item.Clsid = steps_.ServerGUID();
        if (!item.Clsid.empty()) steps_.LeerIdentidad(item.Path, item.Clsid, item.Identity);
      } catch (...) {
        // The early end names the server, not what was read of it.
        outcome.EndedAt = ItemResult{.Path = item.Path,
                                     .Phase = item.Phase,
                                     .Reason = CurrentExceptionMessage(),
                                     .ProgId = item.ProgId};
        throw;
      }
      item.Ok = true;
      outcome.Items.push_back(std::move(item));
      results.ResultadoDelItem(outcome.Items.back());
    }
  });
}

}  // namespace varnel::setup
