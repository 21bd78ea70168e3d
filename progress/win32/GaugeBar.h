#pragma once
// GBarraDeAvance: a borderless child window that paints a TProgressBarModel
// as a horizontal bar with its percentage centred on it, the text drawn by
// inverting the pixels under its glyphs. Painting is double-buffered, and
// WM_PRINTCLIENT paints into the DC it is given (for captures).

#include <windows.h>

#include "forms/win32/Window.h"
#include "platform/win32/Unique.h"
#include "progress/ProgressBarModel.h"

namespace varnel::progress {

class TGaugeBar final : public forms::Window {
 public:
  // A bar that paints a model owned elsewhere (the progress window's logic),
  // which must outlive the control. The model's repaint handler is left
  // alone: its owner routes it to RepaintNow(). Throws EOSError when the
  // window cannot be made.
  TGaugeBar(forms::IFormHost& host, HWND parent, const RECT& bounds,
            const TProgressBarModel& shown);
  ~TGaugeBar() override;

  // Invalidates and paints at once, without waiting for the message loop.
  void RepaintNow();

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void Paint(HDC target) override;

 private:
  const TProgressBarModel& model_;
  win32::UniqueFont font_;
};

}  // namespace varnel::progress
