#include "forms/win32/Controls.h"
#include "forms/win32/Create.h"

namespace varnel::forms {

Edit::Edit(Form& form, const ControlSpec& spec) : Control(form, spec) {
  DWORD style = WS_TABSTOP | ES_AUTOHSCROLL;
  if (spec.ReadOnly) style |= ES_READONLY;
  if (spec.Password) style |= ES_PASSWORD;
  Attach(detail::CreateChild(form, spec, L"EDIT", style, WS_EX_CLIENTEDGE));
  SetFont(form.FontFor(spec.Font));
  if (spec.Password) ::SendMessageW(Handle(), EM_SETPASSWORDCHAR, L'*', 0);
}

void Edit::Notify(WORD code) {
  if (code == EN_CHANGE && OnClick) OnClick();
}

}  // namespace varnel::forms
