#include "forms/win32/Controls.h"
#include "forms/win32/Form.h"
#include "platform/win32/Text.h"

namespace varnel::forms {

Label::Label(Form& form, const ControlSpec& row) : Control(form, row), autoSize_(row.AutoSize) {
  DWORD style = SS_NOPREFIX;
  if (row.Alignment == TextAlign::Right) {
    style |= SS_RIGHT;
  } else {
    style |= row.WordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP;
  }
  CreateFromRow(row, L"STATIC", style);
  // Where labels overlap, a later one is drawn over an earlier one. Labels
  // take no focus, so their place in the Z order does not touch tab order.
  ::SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetFont(form.FontFor(row.Font));
  if (autoSize_) FitToText();
}

void Label::SetCaption(const String& text) {
  SetCaptionOnly(text);
  if (autoSize_) FitToText();
  Repaint();
}

void Label::FitToText() {
  const String text = Caption();
  RECT rect{0, 0, 0, 0};
  {
    const win32::UniqueWindowDC dc(Handle());
    const win32::UniqueSelectObject selected(dc.get(), Font());
    if (text.empty()) {
      TEXTMETRICW metrics{};
      ::GetTextMetricsW(dc.get(), &metrics);
      rect.bottom = metrics.tmHeight;
    } else {
      ::DrawTextW(dc.get(), win32::W(text), static_cast<int>(text.size()), &rect,
                  DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    }
  }
  SetBounds(Left(), Top(), rect.right - rect.left, rect.bottom - rect.top);
}

}  // namespace varnel::forms
