#include "forms/win32/Control.h"

#include "forms/win32/Form.h"
#include "platform/win32/Text.h"

namespace varnel::forms {

Control::Control(Form& form, const ControlSpec& row)
    : Window(form.Host()),
      OnClick(row.OnClick),
      form_(form),
      name_(row.Name),
      dock_(row.Dock),
      textColor_(row.Font.Color) {}

void Control::CreateFromRow(const ControlSpec& row, const wchar_t* className, DWORD style,
                            DWORD exStyle) {
  Create({.ClassName = className,
          .Text = win32::W(row.Caption),
          .Style = style | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
          .ExStyle = exStyle,
          .Left = row.Left,
          .Top = row.Top,
          .Width = row.Width,
          .Height = row.Height,
          .Parent = form_.ParentWindowFor(row),
          .Id = form_.NextControlId()});
}

void Control::SetFont(HFONT font) {
  font_ = font;
  ::SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

String WindowText(HWND hwnd) {
  const int length = ::GetWindowTextLengthW(hwnd);
  String text(static_cast<std::size_t>(length) + 1, u'\0');
  const int got = ::GetWindowTextW(hwnd, reinterpret_cast<wchar_t*>(text.data()), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

String Control::Caption() const { return WindowText(Handle()); }

void Control::SetCaption(const String& text) {
  SetCaptionOnly(text);
  Repaint();
}

void Control::SetCaptionOnly(const String& text) { ::SetWindowTextW(Handle(), win32::W(text)); }

bool Control::Enabled() const { return ::IsWindowEnabled(Handle()) != FALSE; }

void Control::SetEnabled(bool enabled) {
  ::EnableWindow(Handle(), enabled ? TRUE : FALSE);
  Repaint();
}

bool Control::Visible() const { return (::GetWindowLongW(Handle(), GWL_STYLE) & WS_VISIBLE) != 0; }

void Control::SetVisible(bool visible) { ::ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE); }

static RECT RectInParent(HWND hwnd) {
  RECT rect{};
  ::GetWindowRect(hwnd, &rect);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int Control::Left() const { return RectInParent(Handle()).left; }
int Control::Top() const { return RectInParent(Handle()).top; }
int Control::Width() const {
  const RECT r = RectInParent(Handle());
  return r.right - r.left;
}
int Control::Height() const {
  const RECT r = RectInParent(Handle());
  return r.bottom - r.top;
}

void Control::SetBounds(int left, int top, int width, int height) {
  ::SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Control::SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }

void Control::SetHeight(int height) { SetBounds(Left(), Top(), Width(), height); }

void Control::Repaint() {
  ::RedrawWindow(Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
}

void Control::Notify(WORD code) {
  if (code == BN_CLICKED && OnClick) OnClick();
}

std::optional<LRESULT> Control::Reflected(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      Notify(HIWORD(wp));
      return 0;
    case WM_DRAWITEM:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return FaceColors(reinterpret_cast<HDC>(wp), textColor_);
    default:
      return std::nullopt;
  }
}

// Every control of a form, whatever its parent, is the form's.
Window* Control::ChildObject(HWND child) const { return form_.ControlFor(child); }

}  // namespace varnel::forms
