#include "forms/win32/Controls.h"
#include "forms/win32/Form.h"
#include "platform/win32/Text.h"

namespace varnel::forms {

void DrawButtonFace(HDC dc, const RECT& area, const Glyph& glyph, const String& text, HFONT font,
                    bool enabled, int shift) {
  const win32::UniqueSelectObject selected(dc, font);
  const auto length = static_cast<int>(text.size());
  RECT measure{0, 0, 0, 0};
  if (!text.empty()) ::DrawTextW(dc, win32::W(text), length, &measure, DT_CALCRECT | DT_SINGLELINE);
  const int spacing = glyph && !text.empty() ? 4 : 0;
  const int total = glyph.Width() + spacing + measure.right;
  int x = (area.left + area.right - total) / 2 + shift;
  const int middle = (area.top + area.bottom) / 2 + shift;
  if (glyph) {
    glyph.Draw(dc, x, middle - glyph.Height() / 2, enabled);
    x += glyph.Width() + spacing;
  }
  if (text.empty()) return;
  ::SetBkMode(dc, TRANSPARENT);
  const int top = middle - measure.bottom / 2;
  RECT textRect{x, top, x + measure.right, top + measure.bottom};
  if (!enabled) {
    // Embossed grey text, the classic disabled look.
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
    RECT shadow = textRect;
    ::OffsetRect(&shadow, 1, 1);
    ::DrawTextW(dc, win32::W(text), length, &shadow, DT_SINGLELINE);
  }
  ::SetTextColor(dc, ::GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_BTNSHADOW));
  ::DrawTextW(dc, win32::W(text), length, &textRect, DT_SINGLELINE);
}

PictureButton::PictureButton(Form& form, const ControlSpec& row)
    : Control(form, row), default_(row.Default) {
  if (row.Picture) glyph_ = Glyph(row.Picture, row.GlyphCount);
  CreateFromRow(row, L"BUTTON", WS_TABSTOP | BS_OWNERDRAW);
  SetFont(form.FontFor(row.Font));
  if (default_) form.SetDefaultButton(this);
}

void PictureButton::DrawItem(const DRAWITEMSTRUCT& item) {
  const HDC dc = item.hDC;
  RECT rect = item.rcItem;
  const bool pushed = (item.itemState & ODS_SELECTED) != 0;
  const bool focused = (item.itemState & ODS_FOCUS) != 0;

  ::FillRect(dc, &rect, Owner().FaceBrush());
  // The default button, and the focused one, wear a dark outer frame.
  if (default_ || focused) {
    ::FrameRect(dc, &rect, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::InflateRect(&rect, -1, -1);
  }
  ::DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  DrawButtonFace(dc, item.rcItem, glyph_, WindowText(item.hwndItem), Font(),
                 (item.itemState & ODS_DISABLED) == 0, pushed ? 1 : 0);
  if (focused) {
    RECT focus = item.rcItem;
    ::InflateRect(&focus, -4, -4);
    ::DrawFocusRect(dc, &focus);
  }
}

}  // namespace varnel::forms
