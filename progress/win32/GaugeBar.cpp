#include "progress/win32/GaugeBar.h"

#include <cwchar>

#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"
#include "runtime/String.h"

namespace varnel::progress {
namespace {

constexpr wchar_t kGaugeClass[] = L"VarnelGaugeBar";

void FillSolid(HDC dc, int width, int height, TBarColor color) {
  if (width <= 0 || height <= 0) return;
  const win32::UniqueBrush brush(::CreateSolidBrush(color));
  if (!brush) return;
  const RECT area{0, 0, width, height};
  ::FillRect(dc, &area, brush.get());
}

win32::UniqueFont MakeTextFont() {
  LOGFONTW lf{};
  lf.lfHeight = -8;  // character height, without internal leading
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = ANSI_CHARSET;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_ROMAN;
  std::wcscpy(lf.lfFaceName, L"MS Serif");
  return win32::UniqueFont(::CreateFontIndirectW(&lf));
}

}  // namespace

TGaugeBar::TGaugeBar(forms::IFormHost& host, HWND parent, const RECT& bounds,
                     const TProgressBarModel& shown)
    : Window(host), model_(shown) {
  // Redrawn whole on resizing: the text is centred.
  RegisterWindowClass({.Name = kGaugeClass, .Style = CS_HREDRAW | CS_VREDRAW});
  font_ = MakeTextFont();
  if (!font_) win32::RaiseLastOSError();
  Create({.ClassName = kGaugeClass,
          .Style = WS_CHILD | WS_VISIBLE,
          .Left = bounds.left,
          .Top = bounds.top,
          .Width = bounds.right - bounds.left,
          .Height = bounds.bottom - bounds.top,
          .Parent = parent});
}

// The window goes before the font it paints with.
TGaugeBar::~TGaugeBar() { Destroy(); }

void TGaugeBar::RepaintNow() {
  if (Handle()) ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

LRESULT TGaugeBar::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (PaintMessage(msg, wp)) return 0;
  if (msg == WM_ERASEBKGND) return 1;  // Paint covers every pixel
  return Window::HandleMessage(msg, wp, lp);
}

void TGaugeBar::Paint(HDC target) {
  RECT client{};
  ::GetClientRect(Handle(), &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return;

  // The picture is made off screen and put up with one copy, so the bar
  // never flickers through white while a long pass repaints it.
  const win32::UniqueMemDC canvas(::CreateCompatibleDC(target));
  const win32::UniqueBitmap canvasBits(::CreateCompatibleBitmap(target, width, height));
  if (!canvas || !canvasBits) return;
  const win32::UniqueSelectObject canvasSelection(canvas.get(), canvasBits.get());

  FillSolid(canvas.get(), width, height, model_.BackColor());
  FillSolid(canvas.get(), model_.BarWidth(width), height, model_.ForeColor());

  // The text goes into a one-bit mask first (glyph pixels 1, the rest 0),
  // which is then XOR-ed onto the picture as white: every glyph pixel
  // takes the complement of the colour under it, whichever part of the bar
  // it falls on, and no other pixel changes.
  const String text = IntToStr(model_.Percentage()) + u"%";
  const auto length = static_cast<int>(text.size());
  const win32::UniqueMemDC maskDC(::CreateCompatibleDC(target));
  const win32::UniqueBitmap mask(::CreateBitmap(width, height, 1, 1, nullptr));
  if (!maskDC || !mask) return;
  const win32::UniqueSelectObject maskSelection(maskDC.get(), mask.get());
  const win32::UniqueSelectObject fontSelection(maskDC.get(), font_.get());
  ::PatBlt(maskDC.get(), 0, 0, width, height, BLACKNESS);
  ::SetBkMode(maskDC.get(), TRANSPARENT);
  ::SetTextColor(maskDC.get(), RGB(255, 255, 255));
  SIZE extent{};
  ::GetTextExtentPoint32W(maskDC.get(), win32::W(text), length, &extent);
  ::TextOutW(maskDC.get(), (width - extent.cx) / 2, (height - extent.cy) / 2, win32::W(text),
             length);

  // A one-bit source meets a colour picture through the picture's text and
  // background colours: 0 becomes black, 1 white.
  ::SetTextColor(canvas.get(), RGB(0, 0, 0));
  ::SetBkColor(canvas.get(), RGB(255, 255, 255));
  ::BitBlt(canvas.get(), 0, 0, width, height, maskDC.get(), 0, 0, SRCINVERT);

  ::BitBlt(target, 0, 0, width, height, canvas.get(), 0, 0, SRCCOPY);
}

}  // namespace varnel::progress
