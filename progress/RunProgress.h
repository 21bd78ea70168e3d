#pragma once
// The progress window as a run uses it: one pass of items at a time, a
// message, the item's name when it starts, a tick when it ends, and the
// user's request to stop.

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
