#pragma once
// Creation of a control's window from its layout row.

#include <windows.h>

#include "forms/win32/Form.h"
#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"

namespace varnel::forms::detail {

inline HWND CreateChild(Form& form, const ControlSpec& row, const wchar_t* className,
                        DWORD style, DWORD exStyle = 0, void* param = nullptr) {
  const HWND parent = form.ParentWindowFor(row.Parent);
  const int id = form.NextControlId();
  const HWND hwnd = ::CreateWindowExW(
      exStyle, className, win32::W(row.Caption), style | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
      row.Left, row.Top, row.Width, row.Height, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), param);
  if (!hwnd) win32::RaiseLastOSError();
  return hwnd;
}

}  // namespace varnel::forms::detail
