#pragma once
// Acting on another process's windows the way a person would: pressing
// buttons, typing, pressing keys, closing windows.
//
// Clicks are posted (BM_CLICK), never sent: a handler that runs a long job
// must not block the driver. Keys are posted to the focused control of the
// target's thread, so they pass through the target's own message loop and
// its IsDialogMessage, which turns Enter into the default button and
// Alt+letter into the control of that mnemonic.

#include <windows.h>

#include "runtime/String.h"
#include "tests/ui/driver/Wait.h"

namespace varnel::ui {

// PostMessageW(button, BM_CLICK).
void Click(HWND button);

// WM_SETTEXT (sent, bounded): replaces the whole text of an edit.
void SetEditText(HWND edit, const String& text);

// The control that has the keyboard focus in the thread of `window`
// (GetGUIThreadInfo), or nullptr.
HWND FocusedControl(HWND window);
// The active window of the thread of `window`, or nullptr.
HWND ActiveWindowOf(HWND window);

// Gives `control` the keyboard focus (the input queues of driver and target
// are attached for the SetFocus call) and waits until it has it.
void Focus(HWND control, Milliseconds timeout = Milliseconds(2000));

// Posts one WM_CHAR per UTF-16 unit to `target` (the focused control of the
// thread of `window` when `target` is a top-level window).
void TypeText(HWND window, const String& text);

// Posts WM_KEYDOWN/WM_KEYUP of `virtualKey` to the focused control of the
// thread of `window`.
void PressKey(HWND window, WORD virtualKey);
void PressEnter(HWND window);
void PressEscape(HWND window);
void PressTab(HWND window, bool shift = false);

// Alt+letter: posts WM_SYSKEYDOWN/WM_SYSCHAR/WM_SYSKEYUP with the Alt bit as
// the keyboard would, for mnemonics such as "&Aceptar".
void PressAlt(HWND window, char16_t letter);

// Real keyboard input through SendInput: reaches the foreground window only.
// `window` is brought to the foreground first.
void SendKeyInput(HWND window, WORD virtualKey, bool alt = false, bool shift = false);

// Brings a top-level window to the foreground (SetForegroundWindow).
void Activate(HWND window);

// WM_CLOSE, posted.
void Close(HWND window);
// WM_SYSCOMMAND SC_CLOSE, posted (what the title bar's close box sends).
void SysClose(HWND window);

}  // namespace varnel::ui
