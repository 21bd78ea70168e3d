#include "forms/win32/Control.h"

#include "forms/win32/Form.h"
#include "platform/win32/Text.h"

namespace varnel::forms {

Control::Control(Form& form, const ControlSpec& row)
    : OnClick(row.OnClick),
      form_(form),
      name_(row.Name),
      dock_(row.Dock),
      textColor_(row.Font.Color) {}

void Control::Attach(HWND hwnd) { hwnd_ = hwnd; }

void Control::SetFont(HFONT font) {
  font_ = font;
  ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

String Control::Caption() const {
  const int length = ::GetWindowTextLengthW(hwnd_);
  String text(static_cast<std::size_t>(length) + 1, u'\0');
  const int got = ::GetWindowTextW(hwnd_, reinterpret_cast<wchar_t*>(text.data()), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

void Control::SetCaption(const String& text) {
  SetCaptionOnly(text);
  Repaint();
}

void Control::SetCaptionOnly(const String& text) { ::SetWindowTextW(hwnd_, win32::W(text)); }

bool Control::Enabled() const { return ::IsWindowEnabled(hwnd_) != FALSE; }

void Control::SetEnabled(bool enabled) {
  ::EnableWindow(hwnd_, enabled ? TRUE : FALSE);
  Repaint();
}

bool Control::Visible() const {
  return (::GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Control::SetVisible(bool visible) {
  ::ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

static RECT RectInParent(HWND hwnd) {
  RECT rect{};
  ::GetWindowRect(hwnd, &rect);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int Control::Left() const { return RectInParent(hwnd_).left; }
int Control::Top() const { return RectInParent(hwnd_).top; }
int Control::Width() const {
  const RECT r = RectInParent(hwnd_);
  return r.right - r.left;
}
int Control::Height() const {
  const RECT r = RectInParent(hwnd_);
  return r.bottom - r.top;
}

void Control::SetBounds(int left, int top, int width, int height) {
  ::SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Control::SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }

void Control::SetHeight(int height) { SetBounds(Left(), Top(), Width(), height); }

void Control::Repaint() {
  ::RedrawWindow(hwnd_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
}

void Control::Notify(WORD code) {
  if (code == BN_CLICKED && OnClick) OnClick();
}

}  // namespace varnel::forms
