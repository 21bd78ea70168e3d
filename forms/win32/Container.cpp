#include "forms/win32/Controls.h"
#include "forms/win32/Create.h"

namespace varnel::forms {

namespace {

constexpr wchar_t kContainerClass[] = L"VarnelContainer";

int TextHeight(HWND hwnd, HFONT font) {
  const HDC dc = ::GetDC(hwnd);
  const HGDIOBJ old = ::SelectObject(dc, font);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  ::SelectObject(dc, old);
  ::ReleaseDC(hwnd, dc);
  return metrics.tmHeight;
}

}  // namespace

void Container::Register() {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &Container::WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kContainerClass;
    return ::RegisterClassExW(&wc);
  }();
  if (!atom) win32::RaiseLastOSError();
}

Container::Container(Form& form, const ControlSpec& row)
    : Control(form, row), group_(row.Type == Kind::GroupBox || row.Type == Kind::RadioGroup) {
  Register();
  Attach(detail::CreateChild(form, row, kContainerClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
                             this));
  SetFont(form.FontFor(row.Font));
}

RECT Container::AlignArea() const {
  RECT area{};
  ::GetClientRect(Handle(), &area);
  if (group_) {
    area.left += 2;
    area.right -= 2;
    area.top += TextHeight(Handle(), Font()) + 2;
    area.bottom -= 2;
  }
  return area;
}

LRESULT CALLBACK Container::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    const auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Container*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NCDESTROY) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  if (!self) return ::DefWindowProcW(hwnd, msg, wp, lp);

  switch (msg) {
    case WM_COMMAND:
      if (auto* group = dynamic_cast<RadioGroup*>(self); group && HIWORD(wp) == BN_CLICKED) {
        try {
          group->ItemClicked();
        } catch (...) {
          self->Owner().Host().HandleException();
        }
        return 0;
      }
      [[fallthrough]];
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
      // Notifications belong to the form, which knows every control.
      return ::SendMessageW(self->Owner().Handle(), msg, wp, lp);
    case WM_SETFONT:
      return 0;
    case WM_ERASEBKGND: {
      RECT rect{};
      ::GetClientRect(hwnd, &rect);
      ::FillRect(reinterpret_cast<HDC>(wp), &rect, self->Owner().FaceBrush());
      return 1;
    }
    case WM_PRINTCLIENT:
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      const HDC dc = msg == WM_PAINT ? ::BeginPaint(hwnd, &ps) : reinterpret_cast<HDC>(wp);
      if (msg == WM_PRINTCLIENT) {
        RECT all{};
        ::GetClientRect(hwnd, &all);
        ::FillRect(dc, &all, self->Owner().FaceBrush());
      }
      if (self->group_) {
        RECT frame{};
        ::GetClientRect(hwnd, &frame);
        const int textHeight = TextHeight(hwnd, self->Font());
        frame.top += textHeight / 2;
        ::DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
        const String caption = self->Caption();
        if (!caption.empty()) {
          const HGDIOBJ old = ::SelectObject(dc, self->Font());
          ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
          ::SetBkMode(dc, OPAQUE);
          ::SetTextColor(dc, ::GetSysColor(self->Enabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
          RECT text{8, 0, 8, textHeight};
          ::DrawTextW(dc, win32::W(caption), static_cast<int>(caption.size()), &text,
                      DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
          ::DrawTextW(dc, win32::W(caption), static_cast<int>(caption.size()), &text,
                      DT_SINGLELINE | DT_NOPREFIX);
          ::SelectObject(dc, old);
        }
      }
      if (msg == WM_PAINT) ::EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_SETTEXT: {
      const LRESULT result = ::DefWindowProcW(hwnd, msg, wp, lp);
      ::InvalidateRect(hwnd, nullptr, TRUE);
      return result;
    }
    default:
      return ::DefWindowProcW(hwnd, msg, wp, lp);
  }
}

RadioGroup::RadioGroup(Form& form, const ControlSpec& row)
    : Container(form, row), lastIndex_(-1) {
  const int columns = row.Columns > 0 ? row.Columns : 1;
  const int count = static_cast<int>(row.Items.size());
  const int rows = (count + columns - 1) / columns;
  RECT area = AlignArea();
  area.left += 6;
  area.right -= 6;
  const int columnWidth = (area.right - area.left) / columns;
  const int rowHeight = rows > 0 ? (area.bottom - area.top) / rows : 0;
  for (int i = 0; i < count; ++i) {
    const int column = i / (rows > 0 ? rows : 1);
    const int line = i % (rows > 0 ? rows : 1);
    const DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0);
    const HWND item = ::CreateWindowExW(
        0, L"BUTTON", win32::W(row.Items[static_cast<std::size_t>(i)]), style,
        area.left + column * columnWidth, area.top + line * rowHeight, columnWidth - 4,
        rowHeight > 17 ? 17 : rowHeight, Handle(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(form.NextControlId())),
        ::GetModuleHandleW(nullptr), nullptr);
    if (!item) win32::RaiseLastOSError();
    ::SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    items_.push_back(item);
  }
  SetItemIndex(row.ItemIndex);
}

int RadioGroup::ItemIndex() const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (::SendMessageW(items_[i], BM_GETCHECK, 0, 0) == BST_CHECKED) return static_cast<int>(i);
  return -1;
}

void RadioGroup::SetItemIndex(int index) {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const bool on = static_cast<int>(i) == index;
    ::SendMessageW(items_[i], BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    LONG_PTR style = ::GetWindowLongPtrW(items_[i], GWL_STYLE);
    // The selected item is the group's tab stop; with none, the first one.
    const bool stop = on || (index < 0 && i == 0);
    style = stop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    ::SetWindowLongPtrW(items_[i], GWL_STYLE, style);
  }
  lastIndex_ = index;
}

void RadioGroup::ItemClicked() {
  const int index = ItemIndex();
  if (index == lastIndex_) return;
  SetItemIndex(index);
  if (OnClick) OnClick();
}

}  // namespace varnel::forms
