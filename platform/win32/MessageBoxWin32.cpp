#include "platform/win32/MessageBoxWin32.h"

#include "platform/win32/TaskWindows.h"
#include "platform/win32/Text.h"

namespace varnel::win32 {

namespace {

bool RightToLeftReading() {
  DWORD layout = 0;
  return ::GetProcessDefaultLayout(&layout) && (layout & LAYOUT_RTL) != 0;
}

}  // namespace

int MessageBoxWin32::Show(const String& text, const String& caption, std::uint32_t flags) {
  HWND owner = ::GetActiveWindow();
  if (!owner) owner = appWindow_;
  const HWND focus = ::GetFocus();
  UINT type = flags;
  if (RightToLeftReading()) type |= MB_RTLREADING;
  int result = 0;
  {
    // The box's owner is disabled by the box itself; the others by us.
    TaskWindowsDisabled disabled(owner);
    result = ::MessageBoxW(owner, W(text), W(caption), type);
  }
  if (owner && ::IsWindow(owner) && owner != appWindow_) ::SetActiveWindow(owner);
  if (focus && ::IsWindow(focus)) ::SetFocus(focus);
  return result;
}

}  // namespace varnel::win32
