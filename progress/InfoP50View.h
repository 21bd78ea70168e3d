#pragma once
// What the progress window's logic needs from the window FrmInfoP50: its
// labels, two buttons, the two folding panels, four heights, the bar, and
// the application's message pump. The real window implements it with its
// controls; tests implement it with a recorder.

#include "runtime/String.h"

namespace varnel::progress {

// The labels whose text the logic changes.
enum class TInfoLabel {
  LNombreItemActual,
  LItemActual,
  LMensajeDelProceso,
  LUltimoError,
  LNumeroDeErroresProducidos,
  LUltimoTiempo,
  LTiempoTranscurrido,
};

enum class TInfoButton { BSalir, BDetenerProceso };

// The panels that fold away with the details.
enum class TInfoPanel { PSuperior, PSuperior1 };

// The heights the details toggle reads and writes, in pixels. Window is the
// outer height of FrmInfoP50 (frame included).
enum class TInfoHeight { Window, PSuperior, PSuperior1, GBTiempos };

class IInfoP50View {
 public:
  virtual ~IInfoP50View() = default;

  // Sets the caption and repaints the label at once, synchronously: the
  // caller's loop keeps the message queue blocked between items.
  virtual void ShowText(TInfoLabel label, const String& text) = 0;
  // Sets the caption only; it shows at the next ordinary paint.
  virtual void SetCaptionOnly(TInfoLabel label, const String& text) = 0;
  virtual String LabelCaption(TInfoLabel label) const = 0;

  virtual void SetButtonEnabled(TInfoButton button, bool enabled) = 0;

  // Modeless: makes the window visible, brings it to the front, returns.
  virtual void ShowWindowAndBringToFront() = 0;
  // Closing the window only hides it.
  virtual void HideWindow() = 0;
  // One pass of the application's message pump.
  virtual void ProcessMessages() = 0;

  virtual void SetPanelVisible(TInfoPanel panel, bool visible) = 0;
  // A hidden panel keeps reporting the height it had while shown.
  virtual int Height(TInfoHeight what) const = 0;
  virtual void SetHeight(TInfoHeight what, int height) = 0;

  // Repaints GBarraDeAvance at once from the logic's bar model.
  virtual void RepaintBar() = 0;
};

}  // namespace varnel::progress
