#include "forms/win32/Controls.h"
#include "forms/win32/Create.h"

namespace varnel::forms {

namespace {
constexpr wchar_t kFlatButtonClass[] = L"VarnelFlatButton";
}

void FlatButton::Register() {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &FlatButton::WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kFlatButtonClass;
    return ::RegisterClassExW(&wc);
  }();
  if (!atom) win32::RaiseLastOSError();
}

FlatButton::FlatButton(Form& form, const ControlSpec& row) : Control(form, row) {
  Register();
  if (row.Picture) glyph_ = Glyph(row.Picture, row.GlyphCount);
  Attach(detail::CreateChild(form, row, kFlatButtonClass, 0, 0, this));
  SetFont(form.FontFor(row.Font));
}

void FlatButton::Click() {
  if (!Enabled()) return;
  // Reported like any button, so the form's guard covers the handler.
  ::SendMessageW(Owner().Handle(), WM_COMMAND,
                 MAKEWPARAM(::GetDlgCtrlID(Handle()), BN_CLICKED),
                 reinterpret_cast<LPARAM>(Handle()));
}

void FlatButton::Paint(HDC dc) {
  RECT rect{};
  ::GetClientRect(Handle(), &rect);
  ::FillRect(dc, &rect, Owner().FaceBrush());
  const bool enabled = Enabled();
  if (enabled && (hot_ || pressed_)) {
    ::DrawEdge(dc, &rect, pressed_ ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  }
  const String text = WindowText(Handle());
  const HGDIOBJ old = ::SelectObject(dc, Font());
  RECT measure{0, 0, 0, 0};
  ::DrawTextW(dc, win32::W(text), static_cast<int>(text.size()), &measure,
              DT_CALCRECT | DT_SINGLELINE);
  const int spacing = glyph_ && !text.empty() ? 4 : 0;
  const int total = glyph_.Width() + spacing + measure.right;
  const int shift = pressed_ && hot_ ? 1 : 0;
  int x = (rect.right - total) / 2 + shift;
  const int middle = rect.bottom / 2 + shift;
  if (glyph_) {
    glyph_.Draw(dc, x, middle - glyph_.Height() / 2, enabled);
    x += glyph_.Width() + spacing;
  }
  ::SetBkMode(dc, TRANSPARENT);
  RECT textRect{x, middle - measure.bottom / 2, x + measure.right,
                middle - measure.bottom / 2 + measure.bottom};
  if (!enabled) {
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
    RECT shadow = textRect;
    ::OffsetRect(&shadow, 1, 1);
    ::DrawTextW(dc, win32::W(text), static_cast<int>(text.size()), &shadow, DT_SINGLELINE);
  }
  ::SetTextColor(dc, ::GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_BTNSHADOW));
  ::DrawTextW(dc, win32::W(text), static_cast<int>(text.size()), &textRect, DT_SINGLELINE);
  ::SelectObject(dc, old);
}

LRESULT FlatButton::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      const HDC dc = ::BeginPaint(Handle(), &ps);
      Paint(dc);
      ::EndPaint(Handle(), &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wp));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFONT:
      return 0;
    case WM_MOUSEMOVE:
      if (!hot_) {
        hot_ = true;
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
        ::TrackMouseEvent(&track);
        ::InvalidateRect(Handle(), nullptr, FALSE);
      }
      return 0;
    case WM_MOUSELEAVE:
      hot_ = false;
      ::InvalidateRect(Handle(), nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
      pressed_ = true;
      ::SetCapture(Handle());
      ::InvalidateRect(Handle(), nullptr, FALSE);
      return 0;
    case WM_LBUTTONUP: {
      const bool was = pressed_;
      pressed_ = false;
      ::ReleaseCapture();
      ::InvalidateRect(Handle(), nullptr, FALSE);
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
      ::InvalidateRect(Handle(), nullptr, FALSE);
      return 0;
    case WM_SETTEXT: {
      const LRESULT result = ::DefWindowProcW(Handle(), msg, wp, lp);
      ::InvalidateRect(Handle(), nullptr, FALSE);
      return result;
    }
    default:
      return ::DefWindowProcW(Handle(), msg, wp, lp);
  }
}

LRESULT CALLBACK FlatButton::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
    auto* self = static_cast<FlatButton*>(create->lpCreateParams);
    self->Attach(hwnd);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<FlatButton*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NCDESTROY) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  if (!self) return ::DefWindowProcW(hwnd, msg, wp, lp);
  return self->Dispatch(msg, wp, lp);
}

}  // namespace varnel::forms
