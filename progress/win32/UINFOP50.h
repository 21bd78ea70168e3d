#pragma once
// FrmInfoP50: the modeless window that shows how an item-by-item job goes.
// The window is its layout and its controls; what it shows and when is the
// logic's (TFrmInfoP50Logic), which reaches the controls through the view.

#include <memory>

#include "forms/win32/Controls.h"
#include "forms/win32/Form.h"
#include "platform/Clock.h"
#include "progress/InfoP50View.h"
#include "progress/ProgressLogic.h"
#include "progress/win32/GaugeBar.h"

namespace varnel::progress {

class TFrmInfoP50 : public forms::Form, private IInfoP50View {
 public:
  // Created hidden, owned by `owner` (nullptr: a window of its own).
  TFrmInfoP50(forms::IFormHost& host, IClock& clock, HWND owner);
  ~TFrmInfoP50() override;

  void Inicializar(std::int32_t pCantidadDeRegistros, bool pResetAll) {
    logic_.Inicializar(pCantidadDeRegistros, pResetAll);
  }
  void NombreItemActual(const String& Value) { logic_.NombreItemActual(Value); }
  void NombreItemActual(const String& Value, std::int32_t pInRegActu) {
    logic_.NombreItemActual(Value, pInRegActu);
  }
  void EmpleadoActual(long double pIdentificacion, const String& pNombre) {
    logic_.EmpleadoActual(pIdentificacion, pNombre);
  }
  void EmpleadoActual(long double pIdentificacion, const String& pNombre, std::int32_t pInRegActu) {
    logic_.EmpleadoActual(pIdentificacion, pNombre, pInRegActu);
  }
  void ItemActualTerminado() { logic_.ItemActualTerminado(); }
  void EmpleadoActualTerminado() { logic_.EmpleadoActualTerminado(); }
  void EmpleadoActualTerminado(std::int32_t pInRegActu) {
    logic_.EmpleadoActualTerminado(pInRegActu);
  }
  void MensajeDelProceso(const String& Value) { logic_.MensajeDelProceso(Value); }
  void UltimoError(const String& Value) { logic_.UltimoError(Value); }
  void Finalizar() { logic_.Finalizar(); }
  bool ContinuarProceso() const { return logic_.ContinuarProceso(); }
  void SetContinuarProceso(bool value) { logic_.SetContinuarProceso(value); }

  const TProgressBarModel& Bar() const { return logic_.Bar(); }

  // The controls, kept by their layout rows.
  forms::Panel* PSuperior = nullptr;
  forms::Label* LNombreItemActual = nullptr;
  forms::Label* LItemActual = nullptr;
  forms::Label* LMensajeDelProceso = nullptr;
  forms::Label* LUltimoError = nullptr;
  forms::Label* LNumeroDeErroresProducidos = nullptr;
  forms::GroupBox* GBTiempos = nullptr;
  forms::Panel* PSuperior1 = nullptr;
  forms::Label* LUltimoTiempo = nullptr;
  forms::Label* LTiempoTranscurrido = nullptr;
  forms::Panel* PInferior1 = nullptr;
  forms::Panel* PInferior = nullptr;
  forms::FlatButton* SBVerDetalles = nullptr;
  forms::FlatButton* BDetenerProceso = nullptr;
  forms::FlatButton* BSalir = nullptr;

 protected:
  void OnClose() override;

 private:
  // IInfoP50View
  void ShowText(TInfoLabel label, const String& text) override;
  void SetCaptionOnly(TInfoLabel label, const String& text) override;
  String LabelCaption(TInfoLabel label) const override;
  void SetButtonEnabled(TInfoButton button, bool enabled) override;
  void ShowWindowAndBringToFront() override;
  void HideWindow() override;
  void ProcessMessages() override;
  void SetPanelVisible(TInfoPanel panel, bool visible) override;
  int Height(TInfoHeight what) const override;
  void SetHeight(TInfoHeight what, int height) override;
  void RepaintBar() override;

  forms::Label& LabelFor(TInfoLabel label) const;
  forms::Panel* PanelFor(TInfoHeight what) const;  // nullptr: the window

  TFrmInfoP50Logic logic_;      // before the bar, which paints its model
  TGaugeBar* gauge_ = nullptr;  // owned by its control
};

}  // namespace varnel::progress
