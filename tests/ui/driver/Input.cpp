#include "tests/ui/driver/Input.h"

#include <cwctype>
#include <vector>

#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"
#include "tests/ui/driver/Windows.h"

namespace varnel::ui {

namespace {

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!::PostMessageW(window, message, wParam, lParam)) win32::RaiseLastOSError();
}

// The target of keyboard messages: the focused control of the window's
// thread, or the window itself when nothing has the focus.
HWND KeyTarget(HWND window) {
  const HWND focused = FocusedControl(window);
  return focused ? focused : window;
}

LPARAM KeyData(WORD virtualKey, bool up, bool alt) {
  const UINT scan = ::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
  auto data = static_cast<ULONG_PTR>(1) | (static_cast<ULONG_PTR>(scan & 0xFF) << 16);
  if (alt) data |= static_cast<ULONG_PTR>(1) << 29;
  if (up) data |= (static_cast<ULONG_PTR>(1) << 30) | (static_cast<ULONG_PTR>(1) << 31);
  return static_cast<LPARAM>(data);
}

// Attaches the driver's input queue to another thread's for its lifetime.
class AttachedInput {
 public:
  explicit AttachedInput(DWORD thread)
      : self_(::GetCurrentThreadId()),
        other_(thread),
        attached_(thread != self_ && ::AttachThreadInput(self_, thread, TRUE)) {}
  AttachedInput(const AttachedInput&) = delete;
  AttachedInput& operator=(const AttachedInput&) = delete;
  ~AttachedInput() {
    if (attached_) ::AttachThreadInput(self_, other_, FALSE);
  }

 private:
  DWORD self_;
  DWORD other_;
  bool attached_;
};

}  // namespace

void Click(HWND button) { Post(button, BM_CLICK, 0, 0); }

void SetEditText(HWND edit, const String& text) {
  SendBounded(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(win32::W(text)));
}

HWND FocusedControl(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!::GetGUIThreadInfo(ThreadIdOf(window), &info)) return nullptr;
  return info.hwndFocus;
}

HWND ActiveWindowOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!::GetGUIThreadInfo(ThreadIdOf(window), &info)) return nullptr;
  return info.hwndActive;
}

void Focus(HWND control, Milliseconds timeout) {
  {
    AttachedInput attached(ThreadIdOf(control));
    ::SetFocus(control);
  }
  if (TryWaitUntil([&] { return FocusedControl(control) == control; }, timeout / 2)) return;
  // A press of the left mouse button makes edits and buttons take the focus
  // themselves, in their own thread.
  Post(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  Post(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  WaitUntil([&] { return FocusedControl(control) == control; }, timeout / 2,
            u"the focus on \"" + ReadText(control) + u"\" (" + ClassNameOf(control) + u")");
}

void TypeText(HWND window, const String& text) {
  const HWND target =
      ::GetAncestor(window, GA_PARENT) == ::GetDesktopWindow() ? KeyTarget(window) : window;
  for (char16_t unit : text) Post(target, WM_CHAR, unit, 1);
}

void PressKey(HWND window, WORD virtualKey) {
  const HWND target = KeyTarget(window);
  Post(target, WM_KEYDOWN, virtualKey, KeyData(virtualKey, false, false));
  Post(target, WM_KEYUP, virtualKey, KeyData(virtualKey, true, false));
}

void PressEnter(HWND window) { PressKey(window, VK_RETURN); }
void PressEscape(HWND window) { PressKey(window, VK_ESCAPE); }

void PressTab(HWND window, bool shift) {
  if (!shift) {
    PressKey(window, VK_TAB);
    return;
  }
  // The target reads Shift from its keyboard state, which posted messages
  // do not change: real input is the only way for Shift+Tab.
  SendKeyInput(::GetAncestor(window, GA_ROOT), VK_TAB, false, true);
}

void PressAlt(HWND window, char16_t letter) {
  const HWND target = KeyTarget(window);
  const auto key = static_cast<WORD>(std::towupper(letter));
  // IsDialogMessage looks the mnemonic up on WM_SYSCHAR; the key messages
  // around it are what the keyboard would send, with the Alt bit set.
  Post(target, WM_SYSKEYDOWN, VK_MENU, KeyData(VK_MENU, false, true));
  Post(target, WM_SYSCHAR, static_cast<WPARAM>(std::towlower(letter)), KeyData(key, false, true));
  Post(target, WM_KEYUP, VK_MENU, KeyData(VK_MENU, true, false));
}

void Activate(HWND window) {
  AttachedInput attached(ThreadIdOf(window));
  ::SetForegroundWindow(window);
}

void SendKeyInput(HWND window, WORD virtualKey, bool alt, bool shift) {
  Activate(window);
  std::vector<INPUT> inputs;
  auto add = [&](WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  if (alt) add(VK_MENU, false);
  if (shift) add(VK_SHIFT, false);
  add(virtualKey, false);
  add(virtualKey, true);
  if (shift) add(VK_SHIFT, true);
  if (alt) add(VK_MENU, true);
  if (::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
    win32::RaiseLastOSError();
}

void Close(HWND window) { Post(window, WM_CLOSE, 0, 0); }
void SysClose(HWND window) { Post(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

}  // namespace varnel::ui
