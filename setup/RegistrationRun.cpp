#include "setup/RegistrationRun.h"

#include <cstddef>
#include <vector>

#include "runtime/Exceptions.h"
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

namespace {

// The label of an item: base name, " - ", and the executable's description
// as its own version information gives it (the record starts empty).
String Etiqueta(IRunSteps& steps, const String& path) {
  TEXEVersionData data;
  steps.LeerVersion(path, data);
  return BaseName(path) + u" - " + data.FileDescription;
}

// The progress window's stop flag, as the steps read it.
class ProgressStop final : public IStopSignal {
 public:
  explicit ProgressStop(const IRunProgress& progress) : progress_(progress) {}
  bool StopRequested() const override { return !progress_.ContinuarProceso(); }

 private:
  const IRunProgress& progress_;
};

class Run {
 public:
  Run(IRunSteps& steps, IRunProgress& progress, TStringList& errores, RunReport& report)
      : steps_(steps), progress_(progress), stop_(progress), errores_(errores), report_(report) {}

  void Fases(const TStringList& list) {
    const std::int32_t count = list.Count();
    progress_.Inicializar(count, true);
    progress_.MensajeDelProceso(u"Registrando Servidores DCOM...");
    labels_.reserve(static_cast<std::size_t>(count));
    for (const String& path : list) {
      if (stop_.StopRequested()) break;
      labels_.push_back(Etiqueta(steps_, path));
      if (!StartItem(labels_.back())) break;
      DoItem({.Path = path}, [&](ItemResult&) { steps_.Registrar(path, stop_); });
    }
    // Inicializar below clears the flag, so the stop is taken here: every
    // server then lacks its identity.
    if (stop_.StopRequested()) {
      report_.Stopped = true;
      report_.NotHandled = count;
      return;
    }

    progress_.Finalizar();
    progress_.Inicializar(count, true);
    progress_.MensajeDelProceso(u"Asignando permisos DCOM...");
    std::int32_t handled = 0;
    for (const String& path : list) {
      // Registering leaves the executable as it was: its label is the one
      // the first pass read.
      if (!StartItem(labels_[static_cast<std::size_t>(handled)])) break;
      ++handled;
      const String progId = ProgIdFor(BaseName(path));
      steps_.SetServerName(progId);
      DoItem({.Path = path, .Phase = RunPhase::Identidad, .ProgId = progId}, [&](ItemResult& item) {
        item.Clsid = steps_.ServerGUID();
        if (item.Clsid.empty()) throw Exception(NotRegisteredReason(item.ProgId));
        steps_.AsignarPermisosDcom(item.Clsid, stop_, item.Identity);
      });
    }
    if (stop_.StopRequested()) {
      report_.Stopped = true;
      report_.NotHandled = count - handled;
    }
  }

 private:
  // Shows the item's label; false when a stop came before it or while the
  // label's pass took the click, so nothing of the item is started.
  bool StartItem(const String& label) {
    if (stop_.StopRequested()) return false;
    progress_.NombreItemActual(label);
    return !stop_.StopRequested();
  }

  // Runs an item's step under the per-item guard: a failure is the item's,
  // with its reason, and the run goes on.
  template <typename Step>
  void DoItem(ItemResult item, Step step) {
    try {
      step(item);
      item.Ok = true;
    } catch (const std::exception&) {
      item.Reason = CurrentExceptionMessage();
    }
    EndItem(std::move(item));
  }

  void EndItem(ItemResult item) {
    if (!item.Ok) errores_.Add(item.Path + u": " + item.Reason);
    report_.Items.push_back(std::move(item));
    progress_.ResultadoDelItem(report_.Items.back());
    progress_.ItemActualTerminado();
  }

  IRunSteps& steps_;
  IRunProgress& progress_;
  ProgressStop stop_;
  TStringList& errores_;
  RunReport& report_;
  std::vector<String> labels_;  // the items' labels, in the list's order
};

}  // namespace

void ProcesarServidores(IRunSteps& steps, const TStringList& list, TStringList& errores,
                        RunReport& report) {
  const std::unique_ptr<IRunProgress> progress = steps.CrearVentanaDeProgreso();
  try {
    Run(steps, *progress, errores, report).Fases(list);
  } catch (...) {
    // The window is finished on every way out; the first failure is the one
    // that reaches the user.
    try {
      progress->Finalizar();
    } catch (...) {
    }
    throw;
  }
  progress->Finalizar();
}

void ProcesarServidores(IRunSteps& steps, const TStringList& list, TStringList& errores) {
  RunReport report;
  ProcesarServidores(steps, list, errores, report);
}

}  // namespace varnel::setup
