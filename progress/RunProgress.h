#pragma once
// The progress window as a run uses it: the window's logic implements it, and
// a front end without windows implements it with lines.

#include <cstdint>

#include "runtime/String.h"

namespace varnel::progress {

class IRunProgress {
 public:
  virtual ~IRunProgress() = default;
  virtual void Inicializar(std::int32_t pCantidadDeRegistros, bool pResetAll) = 0;
  virtual void MensajeDelProceso(const String& Value) = 0;
  virtual void NombreItemActual(const String& Value) = 0;
  virtual void ItemActualTerminado() = 0;
  virtual void Finalizar() = 0;
  // False once the user asked to stop; reset by Inicializar(n, true).
  virtual bool ContinuarProceso() const = 0;
};

}  // namespace varnel::progress
