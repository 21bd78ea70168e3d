#include "forms/win32/Controls.h"
#include "forms/win32/Form.h"

namespace varnel::forms {

namespace {
constexpr wchar_t kFlatButtonClass[] = L"VarnelFlatButton";
}

FlatButton::FlatButton(Form& form, const ControlSpec& row) : Control(form, row) {
  RegisterWindowClass({.Name = kFlatButtonClass});
  if (row.Picture) glyph_ = Glyph(row.Picture, row.GlyphCount);
  CreateFromRow(row, kFlatButtonClass, 0);
  SetFont(form.FontFor(row.Font));
}

void FlatButton::Click() {
  if (Enabled()) Notify(BN_CLICKED);
}

void FlatButton::Invalidate() { ::InvalidateRect(Handle(), nullptr, FALSE); }

void FlatButton::Paint(HDC dc) {
  RECT rect{};
  ::GetClientRect(Handle(), &rect);
  ::FillRect(dc, &rect, Owner().FaceBrush());
  const bool enabled = Enabled();
  if (enabled && (hot_ || pressed_)) {
    ::DrawEdge(dc, &rect, pressed_ ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  }
  DrawButtonFace(dc, rect, glyph_, WindowText(Handle()), Font(), enabled, pressed_ && hot_ ? 1 : 0);
}

LRESULT FlatButton::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (PaintMessage(msg, wp)) return 0;
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFONT:
      return 0;
    case WM_MOUSEMOVE:
      if (!hot_) {
        hot_ = true;
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
        ::TrackMouseEvent(&track);
        Invalidate();
      }
      return 0;
    case WM_MOUSELEAVE:
      hot_ = false;
      Invalidate();
      return 0;
    case WM_LBUTTONDOWN:
      pressed_ = true;
      ::SetCapture(Handle());
      Invalidate();
      return 0;
    case WM_LBUTTONUP: {
      const bool was = pressed_;
      pressed_ = false;
      ::ReleaseCapture();
      Invalidate();
      RECT rect{};
      ::GetClientRect(Handle(), &rect);
      const POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      if (was && ::PtInRect(&rect, at)) Click();
      return 0;
    }
    case WM_CAPTURECHANGED:
      pressed_ = false;
      return 0;
    case BM_CLICK:
      Click();
      return 0;
    case WM_ENABLE:
      Invalidate();
      return 0;
    case WM_SETTEXT: {
      const LRESULT result = Control::HandleMessage(msg, wp, lp);
      Invalidate();
      return result;
    }
    default:
      return Control::HandleMessage(msg, wp, lp);
  }
}

}  // namespace varnel::forms
