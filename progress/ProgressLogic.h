#pragma once
// Everything the progress window FrmInfoP50 does, apart from being a window:
// the counters, the times, the stop flag, the colour of the bar and the
// folding of the details. The window derives from it, so a run reaches the
// logic in one call, and implements IInfoP50View with its controls.

#include <cstdint>

#include "platform/Clock.h"
#include "progress/InfoP50View.h"
#include "progress/ProgressBarModel.h"
#include "progress/RunProgress.h"
#include "runtime/DateTime.h"
#include "runtime/String.h"

namespace varnel::progress {

class TFrmInfoP50Logic : public IRunProgress {
 public:
  // Both must outlive the logic. The bar model's repaints go to
  // view.RepaintBar().
  TFrmInfoP50Logic(IInfoP50View& view, IClock& clock);
  TFrmInfoP50Logic(const TFrmInfoP50Logic&) = delete;
  TFrmInfoP50Logic& operator=(const TFrmInfoP50Logic&) = delete;

  // IRunProgress
  void Inicializar(std::int32_t pCantidadDeRegistros, bool pResetAll) override;
  void MensajeDelProceso(const String& Value) override;
  void NombreItemActual(const String& Value) override;
  void ItemActualTerminado() override;
  void Finalizar() override;
  bool ContinuarProceso() const override { return FContinuarProceso; }

  void NombreItemActual(const String& Value, std::int32_t pInRegActu);
  void EmpleadoActual(long double pIdentificacion, const String& pNombre);
  void EmpleadoActual(long double pIdentificacion, const String& pNombre, std::int32_t pInRegActu);
  void EmpleadoActualTerminado();
  void EmpleadoActualTerminado(std::int32_t pInRegActu);
  void UltimoError(const String& Value);
  void SetContinuarProceso(bool value) { FContinuarProceso = value; }

  // Event handlers of the window (the sender carries nothing they use).
  void FormCreate();
  void BDetenerProcesoClick();
  void BSalirClick();
  void SBVerDetallesClick();

  // GBarraDeAvance's state, which the window's bar control paints.
  TProgressBarModel& Bar() { return bar_; }
  const TProgressBarModel& Bar() const { return bar_; }
  bool VerDetalles() const { return FVerDetalles; }

 private:
  void SetItemActual(std::int32_t n);
  void SetNumeroDeErroresProducidos(std::int32_t n);
  void MostrarUltimoTiempo();
  void MostrarTiempoTranscurrido();
  void ApplyColorRamp();
  void SetBarColorFromComponents();
  void FinishItem(std::int64_t progress);
  void BarChanged();  // the bar model asks for a repaint

  bool FContinuarProceso = false;
  std::int32_t FItemActual = 0;
  std::int32_t FItemsAProcesar = 0;
  bool FHoraDeInicioTransAsignada = false;
  TDateTime FHoraDeInicioTrans = 0.0;
  TDateTime FHoraDeInicioItem = 0.0;
  std::int32_t FNumeroDeErroresProducidos = 0;
  bool FVerDetalles = false;
  double FColorRojo = 0.0;
  double FColorVerde = 0.0;
  double FPasosDeColor = 0.0;

  IInfoP50View& view_;
  IClock& clock_;
  TProgressBarModel bar_;
  bool holdingBar_ = false;  // repaints wait for the end of the item
  bool barChanged_ = false;
};

}  // namespace varnel::progress
