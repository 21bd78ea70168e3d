#include "forms/win32/Controls.h"
#include "forms/win32/Create.h"

namespace varnel::forms {

String WindowText(HWND hwnd) {
  const int length = ::GetWindowTextLengthW(hwnd);
  String text(static_cast<std::size_t>(length) + 1, u'\0');
  const int got = ::GetWindowTextW(hwnd, reinterpret_cast<wchar_t*>(text.data()), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

PictureButton::PictureButton(Form& form, const ControlSpec& row)
    : Control(form, row), default_(row.Default) {
  if (row.Picture) glyph_ = Glyph(row.Picture, row.GlyphCount);
  Attach(detail::CreateChild(form, row, L"BUTTON", WS_TABSTOP | BS_OWNERDRAW));
  SetFont(form.FontFor(row.Font));
  if (default_) form.SetDefaultButton(this);
}

void PictureButton::DrawItem(const DRAWITEMSTRUCT& item) {
  const HDC dc = item.hDC;
  RECT rect = item.rcItem;
  const bool pushed = (item.itemState & ODS_SELECTED) != 0;
  const bool focused = (item.itemState & ODS_FOCUS) != 0;
  const bool enabled = (item.itemState & ODS_DISABLED) == 0;

  ::FillRect(dc, &rect, Owner().FaceBrush());
  // The default button, and the focused one, wear a dark outer frame.
  if (default_ || focused) {
    ::FrameRect(dc, &rect, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::InflateRect(&rect, -1, -1);
  }
  ::DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));

  const String text = WindowText(item.hwndItem);
  const HGDIOBJ old = ::SelectObject(dc, Font());
  SIZE textSize{0, 0};
  RECT measure{0, 0, 0, 0};
  if (!text.empty()) {
    ::DrawTextW(dc, win32::W(text), static_cast<int>(text.size()), &measure,
                DT_CALCRECT | DT_SINGLELINE);
    textSize = {measure.right, measure.bottom};
  }
  const int spacing = (glyph_ && !text.empty()) ? 4 : 0;
  const int total = glyph_.Width() + spacing + textSize.cx;
  const int shift = pushed ? 1 : 0;
  int x = (item.rcItem.left + item.rcItem.right - total) / 2 + shift;
  const int middle = (item.rcItem.top + item.rcItem.bottom) / 2 + shift;
  if (glyph_) {
    glyph_.Draw(dc, x, middle - glyph_.Height() / 2, enabled);
    x += glyph_.Width() + spacing;
  }
  if (!text.empty()) {
    ::SetBkMode(dc, TRANSPARENT);
    RECT textRect{x, middle - textSize.cy / 2, x + textSize.cx, middle - textSize.cy / 2 + textSize.cy};
    if (enabled) {
      ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    } else {
      // Embossed grey text, the classic disabled look.
      ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
      RECT shadow = textRect;
      ::OffsetRect(&shadow, 1, 1);
      ::DrawTextW(dc, win32::W(text), static_cast<int>(text.size()), &shadow, DT_SINGLELINE);
      ::SetTextColor(dc, ::GetSysColor(COLOR_BTNSHADOW));
    }
    ::DrawTextW(dc, win32::W(text), static_cast<int>(text.size()), &textRect, DT_SINGLELINE);
  }
  ::SelectObject(dc, old);
  if (focused) {
    RECT focus = item.rcItem;
    ::InflateRect(&focus, -4, -4);
    ::DrawFocusRect(dc, &focus);
  }
}

}  // namespace varnel::forms
