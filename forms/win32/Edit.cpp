#include "forms/win32/Controls.h"
#include "forms/win32/Create.h"

namespace varnel::forms {

Edit::Edit(Form& form, const ControlSpec& row) : Control(form, row) {
  DWORD style = WS_TABSTOP | ES_AUTOHSCROLL;
  if (row.ReadOnly) style |= ES_READONLY;
  if (row.Password) style |= ES_PASSWORD;
  Attach(detail::CreateChild(form, row, L"EDIT", style, WS_EX_CLIENTEDGE));
  SetFont(form.FontFor(row.Font));
  if (row.Password) ::SendMessageW(Handle(), EM_SETPASSWORDCHAR, L'*', 0);
}

void Edit::Notify(WORD code) {
  if (code == EN_CHANGE && OnClick) OnClick();
}

}  // namespace varnel::forms
