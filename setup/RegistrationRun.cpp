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
  throw Exception(modo == 0 ? u"Debe seleccionar un directorio." : u"Debe seleccionar un programa.");
}

namespace {

// The label of an item: base name, " - ", and the executable's description
// as its own version information gives it (the record starts empty).
String Etiqueta(IRunSteps& steps, const String& path) {
  TEXEVersionData data;
  steps.LeerVersion(path, data);
  return BaseName(path) + u" - " + data.FileDescription;
}

String ErrorText(const String& path) {
  try {
    throw;
  } catch (const Exception& e) {
    return path + u": " + e.Message();
  } catch (const std::exception& e) {
    return path + u": " + FromUtf8(e.what());
  }
}

void Fases(IRunSteps& steps, IRunProgress& progress, const TStringList& list,
           TStringList& errores) {
  progress.Inicializar(list.Count(), true);
  progress.MensajeDelProceso(u"Registrando Servidores DCOM...");
  for (const String& path : list) {
    progress.NombreItemActual(Etiqueta(steps, path));
    try {
      steps.Registrar(path);
    } catch (const std::exception&) {
      errores.Add(ErrorText(path));
    }
    progress.ItemActualTerminado();
  }

  progress.Finalizar();
  progress.Inicializar(list.Count(), true);
  progress.MensajeDelProceso(u"Asignando permisos DCOM...");
  for (const String& path : list) {
    progress.NombreItemActual(Etiqueta(steps, path));
    const String progId = ProgIdFor(BaseName(path));
    steps.SetServerName(progId);
    try {
      const String guid = steps.ServerGUID();
      if (guid.empty())
        throw Exception(u"El servidor " + progId + u" no está registrado en COM.");
      steps.AsignarPermisosDcom(guid);
    } catch (const std::exception&) {
      errores.Add(ErrorText(path));
    }
    progress.ItemActualTerminado();
  }
}

}  // namespace

void ProcesarServidores(IRunSteps& steps, const TStringList& list, TStringList& errores) {
  const std::unique_ptr<IRunProgress> progress = steps.CrearVentanaDeProgreso();
  try {
    Fases(steps, *progress, list, errores);
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

}  // namespace varnel::setup
