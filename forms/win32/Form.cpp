#include "forms/win32/Form.h"

#include <algorithm>
#include <cwctype>
#include <type_traits>
#include <variant>

#include "forms/win32/Controls.h"
#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"

namespace varnel::forms {

namespace {

bool SameFont(const FontSpec& a, const FontSpec& b) {
  return a.Face == b.Face && a.Height == b.Height && a.Bold == b.Bold;
}

bool IsEditWindow(HWND hwnd) {
  wchar_t name[16] = {};
  ::GetClassNameW(hwnd, name, 16);
  return ::lstrcmpiW(name, L"Edit") == 0;
}

// Stores `control` in the form's member a row names, when it names one.
template <typename T>
void KeepInMember(const ControlSpec& row, T& control) {
  std::visit(
      [&](auto slot) {
        using Slot = std::remove_pointer_t<std::remove_pointer_t<decltype(slot)>>;
        if constexpr (std::is_base_of_v<Slot, T>) {
          *slot = &control;
        } else if constexpr (!std::is_same_v<decltype(slot), std::monostate>) {
          throw Exception(u"Layout row " + row.Name + u" names a member of another kind");
        }
      },
      row.Into);
}

// The address of the member a row fills; nullptr when it names none.
const void* MemberOf(const ControlMember& into) {
  return std::visit(
      [](auto slot) -> const void* {
        if constexpr (std::is_same_v<decltype(slot), std::monostate>) {
          return nullptr;
        } else {
          return slot;
        }
      },
      into);
}

// Parents come first in a table: a row may name only a member that a row
// before it fills.
void CheckParents(const Layout& layout) {
  for (auto row = layout.begin(); row != layout.end(); ++row) {
    if (!row->Parent) continue;
    if (std::none_of(layout.begin(), row, [&](const ControlSpec& earlier) {
          return MemberOf(earlier.Into) == row->Parent.Member();
        }))
      throw Exception(u"Layout row " + row->Name + u" names a parent that no row before it builds");
  }
}

}  // namespace

Form::Form(IFormHost& host, const FormSpec& window) : Window(host), font_(window.Font) {
  faceBrush_ = ::GetSysColorBrush(COLOR_BTNFACE);
  RegisterWindowClass({.Name = win32::W(window.ClassName),
                       .Background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)});
  DWORD style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  if (window.MinimizeBox) style |= WS_MINIMIZEBOX;
  if (window.MaximizeBox) style |= WS_MAXIMIZEBOX;
  const DWORD exStyle = WS_EX_CONTROLPARENT | (window.Owner ? 0 : WS_EX_APPWINDOW);
  RECT frame{0, 0, window.ClientWidth, window.ClientHeight};
  ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  Create({.ClassName = win32::W(window.ClassName),
          .Text = win32::W(window.Caption),
          .Style = style,
          .ExStyle = exStyle,
          .Width = frame.right - frame.left,
          .Height = frame.bottom - frame.top,
          .Parent = window.Owner});
  ::SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(font_)), FALSE);
}

// The window goes first, while every control object it reports to is alive.
Form::~Form() { Destroy(); }

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

String Form::Caption() const { return WindowText(Handle()); }

void Form::SetCaption(const String& text) { ::SetWindowTextW(Handle(), win32::W(text)); }

int Form::Left() const {
  RECT r{};
  ::GetWindowRect(Handle(), &r);
  return r.left;
}

int Form::Width() const {
  RECT r{};
  ::GetWindowRect(Handle(), &r);
  return r.right - r.left;
}

int Form::Height() const {
  RECT r{};
  ::GetWindowRect(Handle(), &r);
  return r.bottom - r.top;
}

void Form::SetHeight(int height) {
  ::SetWindowPos(Handle(), nullptr, 0, 0, Width(), height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Realign();
}

bool Form::Visible() const { return ::IsWindowVisible(Handle()) != FALSE; }

void Form::Show() {
  if (!shown_) {
    shown_ = true;
    try {
      OnShow();
    } catch (...) {
      Host().HandleException();
    }
    // Centred on the work area once the show handler has run.
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + ((work.right - work.left) - Width()) / 2;
    const int y = work.top + ((work.bottom - work.top) - Height()) / 2;
    ::SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::ShowWindow(Handle(), SW_SHOW);
  BringToFront();
  if (!::GetFocus() || ::GetAncestor(::GetFocus(), GA_ROOT) != Handle()) {
    // Only a window with something to type into or press takes the focus;
    // a display-only window leaves it where it is.
    const HWND first = ::GetNextDlgTabItem(Handle(), nullptr, FALSE);
    if (first && (::GetWindowLongW(first, GWL_STYLE) & WS_TABSTOP)) ::SetFocus(first);
  }
}

void Form::Hide() { ::ShowWindow(Handle(), SW_HIDE); }

void Form::BringToFront() {
  ::SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ::SetForegroundWindow(Handle());
}

HWND Form::ParentWindowFor(const ControlSpec& row) const {
  if (!row.Parent) return Handle();
  const Container* parent = row.Parent.Get();
  if (!parent) throw Exception(u"Layout row " + row.Name + u" names a parent that is not built");
  return parent->Handle();
}

void Form::Build(const Layout& layout,
                 const std::function<std::unique_ptr<Control>(const ControlSpec&)>& custom) {
  CheckParents(layout);
  CreateChildren(layout, nullptr, custom);
  Realign();
}

// Siblings are created in tab order, which makes it their Z-order and so the
// order Tab visits them; each container's children follow it at once.
void Form::CreateChildren(
    const Layout& layout, const void* parent,
    const std::function<std::unique_ptr<Control>(const ControlSpec&)>& custom) {
  std::vector<const ControlSpec*> children;
  for (const ControlSpec& row : layout)
    if (row.Parent.Member() == parent) children.push_back(&row);
  std::stable_sort(
      children.begin(), children.end(),
      [](const ControlSpec* a, const ControlSpec* b) { return a->TabOrder < b->TabOrder; });
  for (const ControlSpec* row : children) {
    controls_.push_back(CreateControl(*row, custom));
    if (const void* member = MemberOf(row->Into)) CreateChildren(layout, member, custom);
  }
}

std::unique_ptr<Control> Form::CreateControl(
    const ControlSpec& row,
    const std::function<std::unique_ptr<Control>(const ControlSpec&)>& custom) {
  const auto make = [&]<typename T>() -> std::unique_ptr<Control> {
    auto control = std::make_unique<T>(*this, row);
    KeepInMember(row, *control);
    return control;
  };
  // clang-format off
  switch (row.Type) {
    case Kind::Label: return make.operator()<Label>();
    case Kind::Edit: return make.operator()<Edit>();
    case Kind::RadioButton: return make.operator()<RadioButton>();
    case Kind::GroupBox:
    case Kind::Panel: return make.operator()<Container>();
    case Kind::RadioGroup: return make.operator()<RadioGroup>();
    case Kind::PictureButton: return make.operator()<PictureButton>();
    case Kind::FlatButton: return make.operator()<FlatButton>();
    case Kind::Image: return make.operator()<Image>();
    // clang-format on
    case Kind::Custom:
      if (auto control = custom ? custom(row) : nullptr) {
        KeepInMember(row, *control);
        return control;
      }
      break;
  }
  throw Exception(u"No control for layout row " + row.Name);
}

void Form::Realign(Control* parent) {
  const HWND parentWindow = parent ? parent->Handle() : Handle();
  RECT area{};
  if (const auto inside = parent ? parent->AlignArea() : std::nullopt) {
    area = *inside;
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
    if (control->AlignArea()) Realign(control.get());
  }
}

Control* Form::ControlFor(HWND hwnd) const {
  for (const auto& control : controls_)
    if (control->Handle() == hwnd) return control.get();
  return nullptr;
}

void Form::OnClose() { Host().Terminate(); }

bool Form::PressAccelerator(wchar_t key) {
  const wchar_t wanted = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(key)));
  for (const auto& control : controls_) {
    if (!control->PressedByAccelerator() || !::IsWindowVisible(control->Handle()) ||
        !control->Enabled())
      continue;
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
  auto* form = dynamic_cast<Form*>(Window::FromHandle(root));
  if (!form || !::IsWindowEnabled(root)) return false;
  if (msg.message == WM_SYSCHAR) {
    if (form->PressAccelerator(static_cast<wchar_t>(msg.wParam))) return true;
  }
  if (msg.message == WM_CHAR && !IsEditWindow(msg.hwnd) && msg.wParam > 32) {
    if (form->PressAccelerator(static_cast<wchar_t>(msg.wParam))) return true;
  }
  return ::IsDialogMessageW(root, &msg) != FALSE;
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      // Controls have their notifications back; what stays is Enter, sent by
      // the dialog manager as IDOK without a control.
      if (!lp && LOWORD(wp) == IDOK && default_ && default_->Enabled())
        default_->Notify(BN_CLICKED);
      return 0;
    case DM_GETDEFID:
      if (default_) return MAKELRESULT(::GetDlgCtrlID(default_->Handle()), DC_HASDEFID);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        const HWND focus = ::GetFocus();
        if (focus && ::IsChild(Handle(), focus)) lastFocus_ = focus;
      } else if (lastFocus_ && ::IsWindow(lastFocus_) && ::IsChild(Handle(), lastFocus_)) {
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
  return Window::HandleMessage(msg, wp, lp);
}

}  // namespace varnel::forms
