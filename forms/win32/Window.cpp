#include "forms/win32/Window.h"

#include "platform/win32/Errors.h"
#include "platform/win32/Unique.h"

namespace varnel::forms {

void Window::RegisterWindowClass(const WindowClass& windowClass) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (::GetClassInfoExW(instance, windowClass.Name, &wc)) return;
  wc = WNDCLASSEXW{};
  wc.cbSize = sizeof(wc);
  wc.style = windowClass.Style;
  wc.lpfnWndProc = &Window::Procedure;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = windowClass.Background;
  // The program's icon; no window has one of its own.
  wc.hIcon = ::LoadIconW(instance, L"MAINICON");
  wc.lpszClassName = windowClass.Name;
  if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    win32::RaiseLastOSError();
}

Window* Window::FromHandle(HWND hwnd) {
  // Only a window running this procedure keeps an object in its user data.
  if (!hwnd ||
      ::GetWindowLongPtrW(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&Window::Procedure))
    return nullptr;
  return reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

Window::~Window() { Destroy(); }

void Window::Create(const WindowArgs& args) {
  const HWND hwnd = ::CreateWindowExW(args.ExStyle, args.ClassName, args.Text, args.Style,
                                      args.Left, args.Top, args.Width, args.Height, args.Parent,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.Id)),
                                      ::GetModuleHandleW(nullptr), this);
  if (!hwnd) win32::RaiseLastOSError();
  if (!bound_) hwnd_ = hwnd;  // a standard control: the procedure never saw it
}

void Window::Destroy() {
  if (bound_ && hwnd_) ::DestroyWindow(hwnd_);  // WM_NCDESTROY unbinds
}

LRESULT FaceColors(HDC dc, std::uint32_t textColor) {
  ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
  ::SetTextColor(dc, textColor != kWindowTextColor ? textColor : ::GetSysColor(COLOR_WINDOWTEXT));
  return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    // Notifications of children without an object of their own.
    case WM_DRAWITEM:
      return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return FaceColors(reinterpret_cast<HDC>(wp), kWindowTextColor);
    default:
      return ::DefWindowProcW(hwnd_, msg, wp, lp);
  }
}

std::optional<LRESULT> Window::Reflected(UINT, WPARAM, LPARAM) { return std::nullopt; }

bool Window::PaintMessage(UINT msg, WPARAM wp) {
  if (msg == WM_PRINTCLIENT) {
    Paint(reinterpret_cast<HDC>(wp));
    return true;
  }
  if (msg != WM_PAINT) return false;
  const win32::UniquePaintDC dc(hwnd_);
  if (dc) Paint(dc.get());
  return true;
}

std::optional<LRESULT> Window::Reflect(UINT msg, WPARAM wp, LPARAM lp) {
  HWND child = nullptr;
  switch (msg) {
    case WM_COMMAND:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      child = reinterpret_cast<HWND>(lp);
      break;
    case WM_NOTIFY:
      if (lp) child = reinterpret_cast<const NMHDR*>(lp)->hwndFrom;
      break;
    case WM_DRAWITEM:
      if (wp) child = reinterpret_cast<const DRAWITEMSTRUCT*>(lp)->hwndItem;  // 0: a menu
      break;
    default:
      return std::nullopt;
  }
  Window* target = child && child != hwnd_ ? ChildObject(child) : nullptr;
  return target ? target->Reflected(msg, wp, lp) : std::nullopt;
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    if (auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams)) {
      self->hwnd_ = hwnd;
      self->bound_ = true;
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
  }
  auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    // The object may outlive its window (a parent takes its children down).
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->bound_ = false;
    return ::DefWindowProcW(hwnd, msg, wp, lp);
  }
  try {
    if (const auto reflected = self->Reflect(msg, wp, lp)) return *reflected;
    return self->HandleMessage(msg, wp, lp);
  } catch (...) {
    self->host_.HandleException();
    return 0;
  }
}

}  // namespace varnel::forms
