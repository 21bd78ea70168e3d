#pragma once
// FrmInfoP50: the modeless window that shows how an item-by-item job goes.
// The window is its layout and its controls; what it shows and when is the
// logic's (TFrmInfoP50Logic, its base), which reaches the controls through
// the view.

#include <memory>

#include "forms/win32/Controls.h"
#include "forms/win32/Form.h"
#include "platform/Clock.h"
#include "progress/InfoP50View.h"
#include "progress/ProgressLogic.h"
#include "progress/win32/GaugeBar.h"

namespace varnel::progress {

// The window is its logic: every operation of TFrmInfoP50Logic, the run's
// IRunProgress among them, is the window's own, with no call in between.
// The bases are made in order: the form's window, then the logic, which the
// bar control built from the layout paints.
class TFrmInfoP50 : public forms::Form, private IInfoP50View, public TFrmInfoP50Logic {
 public:
  // Created hidden, owned by `owner` (nullptr: a window of its own).
  TFrmInfoP50(forms::IFormHost& host, IClock& clock, HWND owner);
  ~TFrmInfoP50() override;

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

  TGaugeBar* gauge_ = nullptr;  // owned by its control
};

}  // namespace varnel::progress
