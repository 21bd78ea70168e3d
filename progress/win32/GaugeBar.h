#pragma once
// GBarraDeAvance: a borderless child window that paints a TProgressBarModel
// as a horizontal bar with its percentage centred on it, the text drawn by
// inverting the pixels under its glyphs. Painting is double-buffered, and
// WM_PRINTCLIENT paints into the DC it is given (for captures).

#include <windows.h>

#include <memory>

#include "platform/win32/Unique.h"
#include "progress/ProgressBarModel.h"

namespace varnel::win32 {

class TGaugeBar {
 public:
  // A bar that owns its model; the model's repaints redraw the control at
  // once. Throws EOSError when the window cannot be made.
  static std::unique_ptr<TGaugeBar> Create(HWND parent, int x, int y, int width, int height);
  // A bar that paints a model owned elsewhere (the progress window's logic),
  // which must outlive the control. The model's repaint handler is left
  // alone: its owner routes it to RepaintNow().
  static std::unique_ptr<TGaugeBar> Create(HWND parent, int x, int y, int width, int height,
                                           TProgressBarModel& shown);

  TGaugeBar(const TGaugeBar&) = delete;
  TGaugeBar& operator=(const TGaugeBar&) = delete;
  // Destroys the window unless its parent has already taken it down.
  ~TGaugeBar();

  HWND Handle() const noexcept { return window_.get(); }
  TProgressBarModel& Model() noexcept { return *model_; }

  // Invalidates and paints at once, without waiting for the message loop.
  void RepaintNow();

  // The window class the control registers for itself.
  static constexpr const wchar_t* kClassName = L"VarnelGaugeBar";

 private:
  explicit TGaugeBar(TProgressBarModel* shown);
  void MakeWindow(HWND parent, int x, int y, int width, int height);
  void Paint(HWND window, HDC target) const;
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  std::unique_ptr<TProgressBarModel> owned_;
  TProgressBarModel* model_;
  UniqueFont font_;
  UniqueWindow window_;
};

}  // namespace varnel::win32
