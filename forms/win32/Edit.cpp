#include "forms/win32/Controls.h"
#include "forms/win32/Form.h"

namespace varnel::forms {

Edit::Edit(Form& form, const ControlSpec& row) : Control(form, row) {
  DWORD style = WS_TABSTOP | ES_AUTOHSCROLL;
  if (row.ReadOnly) style |= ES_READONLY;
  if (row.Password) style |= ES_PASSWORD;
  CreateFromRow(row, L"EDIT", style, WS_EX_CLIENTEDGE);
  SetFont(form.FontFor(row.Font));
  if (row.Password) ::SendMessageW(Handle(), EM_SETPASSWORDCHAR, L'*', 0);
}

void Edit::Notify(WORD code) {
  if (code == EN_CHANGE && OnClick) OnClick();
}

std::optional<LRESULT> Edit::Reflected(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CTLCOLOREDIT) return std::nullopt;
  if (msg != WM_CTLCOLORSTATIC) return Control::Reflected(msg, wp, lp);
  // A read-only edit still looks like an edit: window colour. A disabled
  // one keeps the system's look.
  if (!Enabled()) return ::DefWindowProcW(::GetParent(Handle()), msg, wp, lp);
  const auto dc = reinterpret_cast<HDC>(wp);
  ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
  ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
  return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
}

}  // namespace varnel::forms
