#pragma once
// The registration run's rules that need no window: the checks made before
// anything starts, and the two passes over the servers.

#include <cstdint>
#include <memory>

#include "runtime/StringList.h"
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

// The progress window as the run uses it.
class IRunProgress {
 public:
  virtual ~IRunProgress() = default;
  virtual void Inicializar(std::int32_t pCantidadDeRegistros, bool pResetAll) = 0;
  virtual void MensajeDelProceso(const String& value) = 0;
  virtual void NombreItemActual(const String& value) = 0;
  virtual void ItemActualTerminado() = 0;
  virtual void Finalizar() = 0;
};

// Each step of one server, as the setup window carries it out.
class IRunSteps {
 public:
  virtual ~IRunSteps() = default;
  virtual std::unique_ptr<IRunProgress> CrearVentanaDeProgreso() = 0;
  virtual void LeerVersion(const String& path, TEXEVersionData& data) = 0;
  // Starts the server with " /REGSERVER" and waits; a refused start fails.
  virtual void Registrar(const String& path) = 0;
  virtual void SetServerName(const String& progId) = 0;
  virtual String ServerGUID() = 0;
  virtual void AsignarPermisosDcom(const String& guid) = 0;
};

// Phase 1 registers every server, phase 2 sets each one's identity. A step
// failing inside an item's guard adds one entry to `errores` and the pass
// goes on; any other failure ends the run, after the progress window has
// been finished and released. A server whose identifier is not registered
// fails its phase-2 step: DComPerm is not started with an empty identifier.
void ProcesarServidores(IRunSteps& steps, const TStringList& list, TStringList& errores);

}  // namespace varnel::setup
