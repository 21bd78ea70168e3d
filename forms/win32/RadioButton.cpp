#include "forms/win32/Controls.h"
#include "forms/win32/Form.h"

namespace varnel::forms {

namespace {

// Only the selected radio button of a group is a tab stop, as in dialogs:
// Tab enters the group at its selection, the arrow keys move inside it.
void MoveTabStopToChecked(HWND parent) {
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if ((::SendMessageW(child, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) == 0) continue;
    LONG_PTR style = ::GetWindowLongPtrW(child, GWL_STYLE);
    const bool checked = ::SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
    style = checked ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    ::SetWindowLongPtrW(child, GWL_STYLE, style);
  }
}

}  // namespace

RadioButton::RadioButton(Form& form, const ControlSpec& row) : Control(form, row) {
  CreateFromRow(row, L"BUTTON", BS_AUTORADIOBUTTON);
  SetFont(form.FontFor(row.Font));
  if (row.Checked) SetChecked(true);
  MoveTabStopToChecked(::GetParent(Handle()));
}

bool RadioButton::Checked() const {
  return ::SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void RadioButton::SetChecked(bool checked) {
  if (checked) {
    // Selecting one clears its siblings, as a click would.
    const HWND parent = ::GetParent(Handle());
    for (HWND c = ::GetWindow(parent, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
      if (c != Handle() && (::SendMessageW(c, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON))
        ::SendMessageW(c, BM_SETCHECK, BST_UNCHECKED, 0);
    }
  }
  ::SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  MoveTabStopToChecked(::GetParent(Handle()));
}

void RadioButton::Notify(WORD code) {
  if (code != BN_CLICKED) return;
  MoveTabStopToChecked(::GetParent(Handle()));
  if (Checked() && OnClick) OnClick();
}

}  // namespace varnel::forms
