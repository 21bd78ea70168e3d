#include "setup/RegistrationRun.h"

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
    for (const String& path : list) {
      if (!StartItem(path)) break;
      ItemResult item;
      item.Path = path;
      try {
        steps_.Registrar(path, stop_);
        item.Ok = true;
      } catch (const std::exception&) {
        item.Reason = CurrentExceptionMessage();
      }
      EndItem(std::move(item));
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
      if (!StartItem(path)) break;
      ++handled;
      ItemResult item;
      item.Path = path;
      item.Phase = RunPhase::Identidad;
      item.ProgId = ProgIdFor(BaseName(path));
      steps_.SetServerName(item.ProgId);
      try {
        item.Clsid = steps_.ServerGUID();
        if (item.Clsid.empty()) throw Exception(NotRegisteredReason(item.ProgId));
        steps_.AsignarPermisosDcom(item.Clsid, stop_, item.Identity);
        item.Ok = true;
      } catch (const std::exception&) {
        item.Reason = CurrentExceptionMessage();
      }
      EndItem(std::move(item));
    }
    if (stop_.StopRequested()) {
      report_.Stopped = true;
      report_.NotHandled = count - handled;
    }
  }

 private:
  // Shows the item's label; false when a stop came before it or while the
  // label's pass took the click, so nothing of the item is started.
  bool StartItem(const String& path) {
    if (stop_.StopRequested()) return false;
    progress_.NombreItemActual(Etiqueta(steps_, path));
    return !stop_.StopRequested();
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
