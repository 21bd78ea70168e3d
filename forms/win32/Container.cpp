#include "forms/win32/Controls.h"
#include "forms/win32/Form.h"
#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"

namespace varnel::forms {

namespace {

constexpr wchar_t kContainerClass[] = L"VarnelContainer";

int TextHeight(HDC dc, HFONT font) {
  const win32::UniqueSelectObject selected(dc, font);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  return metrics.tmHeight;
}

}  // namespace

Container::Container(Form& form, const ControlSpec& row)
    : Control(form, row), group_(row.Type == Kind::GroupBox || row.Type == Kind::RadioGroup) {
  RegisterWindowClass({.Name = kContainerClass});
  CreateFromRow(row, kContainerClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
  SetFont(form.FontFor(row.Font));
}

std::optional<RECT> Container::AlignArea() const {
  RECT area{};
  ::GetClientRect(Handle(), &area);
  if (group_) {
    area.left += 2;
    area.right -= 2;
    area.top += TextHeight(win32::UniqueWindowDC(Handle()).get(), Font()) + 2;
    area.bottom -= 2;
  }
  return area;
}

void Container::Paint(HDC dc) {
  RECT frame{};
  ::GetClientRect(Handle(), &frame);
  ::FillRect(dc, &frame, Owner().FaceBrush());
  if (!group_) return;
  const int textHeight = TextHeight(dc, Font());
  frame.top += textHeight / 2;
  ::DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  const String caption = Caption();
  if (caption.empty()) return;
  const win32::UniqueSelectObject selected(dc, Font());
  ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
  ::SetBkMode(dc, OPAQUE);
  ::SetTextColor(dc, ::GetSysColor(Enabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  RECT text{8, 0, 8, textHeight};
  const auto length = static_cast<int>(caption.size());
  ::DrawTextW(dc, win32::W(caption), length, &text, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  ::DrawTextW(dc, win32::W(caption), length, &text, DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT Container::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (PaintMessage(msg, wp)) return 0;
  switch (msg) {
    case WM_SETFONT:
      return 0;
    case WM_ERASEBKGND: {
      RECT rect{};
      ::GetClientRect(Handle(), &rect);
      ::FillRect(reinterpret_cast<HDC>(wp), &rect, Owner().FaceBrush());
      return 1;
    }
    case WM_SETTEXT: {
      const LRESULT result = Control::HandleMessage(msg, wp, lp);
      ::InvalidateRect(Handle(), nullptr, TRUE);
      return result;
    }
    default:
      return Control::HandleMessage(msg, wp, lp);
  }
}

RadioGroup::RadioGroup(Form& form, const ControlSpec& row) : Container(form, row), lastIndex_(-1) {
  const int columns = row.Columns > 0 ? row.Columns : 1;
  const int count = static_cast<int>(row.Items.size());
  const int rows = (count + columns - 1) / columns;
  RECT area = *AlignArea();
  area.left += 6;
  area.right -= 6;
  const int columnWidth = (area.right - area.left) / columns;
  const int rowHeight = rows > 0 ? (area.bottom - area.top) / rows : 0;
  for (int i = 0; i < count; ++i) {
    const int column = i / (rows > 0 ? rows : 1);
    const int line = i % (rows > 0 ? rows : 1);
    const DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0);
    const HWND item =
        ::CreateWindowExW(0, L"BUTTON", win32::W(row.Items[static_cast<std::size_t>(i)]), style,
                          area.left + column * columnWidth, area.top + line * rowHeight,
                          columnWidth - 4, rowHeight > 17 ? 17 : rowHeight, Handle(),
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

// The items are plain buttons of the group's own: their clicks come here.
LRESULT RadioGroup::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
    ItemClicked();
    return 0;
  }
  return Container::HandleMessage(msg, wp, lp);
}

void RadioGroup::ItemClicked() {
  const int index = ItemIndex();
  if (index == lastIndex_) return;
  SetItemIndex(index);
  if (OnClick) OnClick();
}

}  // namespace varnel::forms
