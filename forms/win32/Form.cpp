#include "forms/win32/Form.h"

#include <algorithm>
#include <cwctype>

#include "forms/win32/Controls.h"
#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"

namespace varnel::forms {

namespace {

constexpr wchar_t kFormProperty[] = L"VarnelForm";

bool SameFont(const FontSpec& a, const FontSpec& b) {
  return a.Face == b.Face && a.Height == b.Height && a.Bold == b.Bold;
}

bool IsEditWindow(HWND hwnd) {
  wchar_t name[16] = {};
  ::GetClassNameW(hwnd, name, 16);
  return ::lstrcmpiW(name, L"Edit") == 0;
}

}  // namespace

Form::Form(IFormHost& host, const FormSpec& window) : host_(host), font_(window.Font) {
  faceBrush_ = ::GetSysColorBrush(COLOR_BTNFACE);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  if (!::GetClassInfoExW(instance, win32::W(window.ClassName), &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &Form::WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    // The application's icon; the windows have none of their own.
    wc.hIcon = ::LoadIconW(instance, L"MAINICON");
    wc.lpszClassName = win32::W(window.ClassName);
    if (!::RegisterClassExW(&wc)) win32::RaiseLastOSError();
  }

  DWORD style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  if (window.MinimizeBox) style |= WS_MINIMIZEBOX;
  if (window.MaximizeBox) style |= WS_MAXIMIZEBOX;
  const DWORD exStyle = WS_EX_CONTROLPARENT | (window.Owner ? 0 : WS_EX_APPWINDOW);
  RECT frame{0, 0, window.ClientWidth, window.ClientHeight};
  ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const HWND hwnd = ::CreateWindowExW(exStyle, win32::W(window.ClassName), win32::W(window.Caption),
                                      style, 0, 0, frame.right - frame.left,
                                      frame.bottom - frame.top, window.Owner, nullptr, instance, this);
  if (!hwnd) win32::RaiseLastOSError();
  hwnd_.reset(hwnd);
  ::SetPropW(hwnd, kFormProperty, this);
  ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(font_)), FALSE);
}

Form::~Form() {
  // The window goes first, while every control object it reports to is alive.
  if (hwnd_) {
    ::RemovePropW(hwnd_.get(), kFormProperty);
    ::SetWindowLongPtrW(hwnd_.get(), GWLP_USERDATA, 0);
    hwnd_.reset();
  }
}

HFONT Form::FontFor(const FontSpec& requested) {
  FontSpec wanted = requested;
  if (wanted.Face.empty()) {
    wanted.Face = font_.Face;
    wanted.Height = font_.Height;
  }
  for (auto& [known, font] : fonts_)
    if (SameFont(known, wanted)) return font.get();
  LOGFONTW logFont{};
  logFont.lfHeight = -wanted.Height;  // character height, not cell height
  logFont.lfWeight = wanted.Bold ? FW_BOLD : FW_NORMAL;
  logFont.lfCharSet = DEFAULT_CHARSET;
  logFont.lfQuality = DEFAULT_QUALITY;
  const std::size_t n = std::min<std::size_t>(wanted.Face.size(), LF_FACESIZE - 1);
  std::copy_n(wanted.Face.begin(), n, reinterpret_cast<char16_t*>(logFont.lfFaceName));
  win32::UniqueFont font(::CreateFontIndirectW(&logFont));
  if (!font) win32::RaiseLastOSError();
  const HFONT handle = font.get();
  fonts_.emplace_back(wanted, std::move(font));
  return handle;
}

String Form::Caption() const {
  return WindowText(hwnd_.get());
}

void Form::SetCaption(const String& text) { ::SetWindowTextW(hwnd_.get(), win32::W(text)); }

int Form::Left() const {
  RECT r{};
  ::GetWindowRect(hwnd_.get(), &r);
  return r.left;
}

int Form::Width() const {
  RECT r{};
  ::GetWindowRect(hwnd_.get(), &r);
  return r.right - r.left;
}

int Form::Height() const {
  RECT r{};
  ::GetWindowRect(hwnd_.get(), &r);
  return r.bottom - r.top;
}

void Form::SetHeight(int height) {
  ::SetWindowPos(hwnd_.get(), nullptr, 0, 0, Width(), height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Realign();
}

bool Form::Visible() const { return ::IsWindowVisible(hwnd_.get()) != FALSE; }

void Form::Show() {
  if (!shown_) {
    shown_ = true;
    try {
      OnShow();
    } catch (...) {
      host_.HandleException();
    }
    // Centred on the work area once the show handler has run.
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + ((work.right - work.left) - Width()) / 2;
    const int y = work.top + ((work.bottom - work.top) - Height()) / 2;
    ::SetWindowPos(hwnd_.get(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::ShowWindow(hwnd_.get(), SW_SHOW);
  BringToFront();
  if (!::GetFocus() || ::GetAncestor(::GetFocus(), GA_ROOT) != hwnd_.get()) {
    // Only a window with something to type into or press takes the focus;
    // a display-only window leaves it where it is.
    const HWND first = ::GetNextDlgTabItem(hwnd_.get(), nullptr, FALSE);
    if (first && (::GetWindowLongW(first, GWL_STYLE) & WS_TABSTOP)) ::SetFocus(first);
  }
}

void Form::Hide() { ::ShowWindow(hwnd_.get(), SW_HIDE); }

void Form::BringToFront() {
  ::SetWindowPos(hwnd_.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ::SetForegroundWindow(hwnd_.get());
}

Control& Form::Find(const String& name) const {
  const auto found = byName_.find(name);
  if (found == byName_.end()) throw Exception(u"Control not found: " + name);
  return *found->second;
}

HWND Form::ParentWindowFor(const String& parentName) const {
  return parentName.empty() ? hwnd_.get() : Find(parentName).Handle();
}

void Form::Build(const Layout& layout,
                 const std::function<std::unique_ptr<Control>(const ControlSpec&)>& custom) {
  CreateChildren(layout, String(), custom);
  Realign();
}

// Siblings are created in tab order, which makes it their Z-order and so the
// order Tab visits them; each container's children follow it at once.
void Form::CreateChildren(
    const Layout& layout, const String& parent,
    const std::function<std::unique_ptr<Control>(const ControlSpec&)>& custom) {
  std::vector<const ControlSpec*> children;
  for (const ControlSpec& row : layout)
    if (row.Parent == parent) children.push_back(&row);
  std::stable_sort(children.begin(), children.end(),
                   [](const ControlSpec* a, const ControlSpec* b) { return a->TabOrder < b->TabOrder; });
  for (const ControlSpec* row : children) {
    std::unique_ptr<Control> control;
    switch (row->Type) {
      case Kind::Label: control = std::make_unique<Label>(*this, *row); break;
      case Kind::Edit: control = std::make_unique<Edit>(*this, *row); break;
      case Kind::RadioButton: control = std::make_unique<RadioButton>(*this, *row); break;
      case Kind::GroupBox:
      case Kind::Panel: control = std::make_unique<Container>(*this, *row); break;
      case Kind::RadioGroup: control = std::make_unique<RadioGroup>(*this, *row); break;
      case Kind::PictureButton: control = std::make_unique<PictureButton>(*this, *row); break;
      case Kind::FlatButton: control = std::make_unique<FlatButton>(*this, *row); break;
      case Kind::Image: control = std::make_unique<Image>(*this, *row); break;
      case Kind::Custom:
        if (custom) control = custom(*row);
        break;
    }
    if (!control) throw Exception(u"No control for layout row " + row->Name);
    byName_[row->Name] = control.get();
    controls_.push_back(std::move(control));
    CreateChildren(layout, row->Name, custom);
  }
}

void Form::Realign(Control* parent) {
  const HWND parentWindow = parent ? parent->Handle() : hwnd_.get();
  RECT area{};
  if (auto* container = dynamic_cast<Container*>(parent)) {
    area = container->AlignArea();
  } else {
    ::GetClientRect(parentWindow, &area);
  }
  int y = area.top;
  for (const auto& control : controls_) {
    if (::GetParent(control->Handle()) != parentWindow) continue;
    if (control->Dock() == Align::Top && control->Visible()) {
      const int height = control->Height();
      control->SetBounds(area.left, y, area.right - area.left, height);
      y += height;
    }
    if (dynamic_cast<Container*>(control.get())) Realign(control.get());
  }
}

Control* Form::FromHandle(HWND hwnd) const {
  for (const auto& control : controls_)
    if (control->Handle() == hwnd) return control.get();
  return nullptr;
}

void Form::OnClose() { host_.Terminate(); }

bool Form::PressAccelerator(wchar_t key) {
  const wchar_t wanted = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(key)));
  for (const auto& control : controls_) {
    const bool clickable = dynamic_cast<PictureButton*>(control.get()) ||
                           dynamic_cast<FlatButton*>(control.get());
    if (!clickable || !::IsWindowVisible(control->Handle()) || !control->Enabled()) continue;
    const String text = control->Caption();
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
      if (text[i] != u'&') continue;
      if (text[i + 1] == u'&') {
        ++i;
        continue;
      }
      if (std::towupper(static_cast<wint_t>(text[i + 1])) == static_cast<wint_t>(wanted)) {
        ::SendMessageW(control->Handle(), BM_CLICK, 0, 0);
        return true;
      }
      break;
    }
  }
  return false;
}

bool Form::PreTranslate(MSG& msg) {
  if (!msg.hwnd) return false;
  const HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
  auto* form = static_cast<Form*>(::GetPropW(root, kFormProperty));
  if (!form || !::IsWindowEnabled(root)) return false;
  if (msg.message == WM_SYSCHAR) {
    if (form->PressAccelerator(static_cast<wchar_t>(msg.wParam))) return true;
  }
  if (msg.message == WM_CHAR && !IsEditWindow(msg.hwnd) && msg.wParam > 32) {
    if (form->PressAccelerator(static_cast<wchar_t>(msg.wParam))) return true;
  }
  return ::IsDialogMessageW(root, &msg) != FALSE;
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Form*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NCDESTROY) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  if (!self) return ::DefWindowProcW(hwnd, msg, wp, lp);
  try {
    return self->Dispatch(hwnd, msg, wp, lp);
  } catch (...) {
    self->host_.HandleException();
    return 0;
  }
}

LRESULT Form::Dispatch(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: {
      const auto source = reinterpret_cast<HWND>(lp);
      if (Control* control = source ? FromHandle(source) : nullptr) {
        control->Notify(HIWORD(wp));
      } else if (!source && LOWORD(wp) == IDOK && default_ && default_->Enabled()) {
        default_->Notify(BN_CLICKED);
      }
      return 0;
    }
    case DM_GETDEFID:
      if (default_) return MAKELRESULT(::GetDlgCtrlID(default_->Handle()), DC_HASDEFID);
      return 0;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (Control* control = FromHandle(item->hwndItem)) control->DrawItem(*item);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      const auto dc = reinterpret_cast<HDC>(wp);
      const auto child = reinterpret_cast<HWND>(lp);
      if (IsEditWindow(child)) {
        // A read-only edit still looks like an edit: window colour.
        if (!::IsWindowEnabled(child)) break;
        ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
      }
      ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
      const Control* control = FromHandle(child);
      const bool custom = control && control->TextColor() != 0xFFFFFFFF;
      ::SetTextColor(dc, custom ? control->TextColor() : ::GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(faceBrush_);
    }
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        const HWND focus = ::GetFocus();
        if (focus && ::IsChild(hwnd, focus)) lastFocus_ = focus;
      } else if (lastFocus_ && ::IsWindow(lastFocus_) && ::IsChild(hwnd, lastFocus_)) {
        ::SetFocus(lastFocus_);
        return 0;
      }
      break;
    case WM_CLOSE:
      OnClose();
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace varnel::forms
