#pragma once
// Finding top-level windows by process, caption and class, and reading what
// any window shows. Texts of other processes' windows are read with
// SendMessageTimeout, so a busy target cannot hang the driver.

#include <windows.h>

#include <optional>
#include <vector>

#include "runtime/String.h"
#include "tests/ui/driver/Wait.h"

namespace varnel::ui {

inline constexpr Milliseconds kMessageTimeout{2000};

struct WindowQuery {
  DWORD ProcessId = 0;            // 0: any process
  std::optional<String> Caption;  // exact, or the start of it with CaptionPrefix
  bool CaptionPrefix = false;
  std::optional<String> ClassName;  // exact, e.g. u"#32770"
  bool VisibleOnly = true;
};

// "window of process 12 with caption "X" and class "Y"", for messages.
String Describe(const WindowQuery& query);

// Top-level windows that match, in Z-order (topmost first).
std::vector<HWND> FindTopLevelWindows(const WindowQuery& query);
// The first match, or nullptr.
HWND FindTopLevelWindow(const WindowQuery& query);
// Waits until a window matches; TimeoutError otherwise.
HWND WaitForWindow(const WindowQuery& query, Milliseconds timeout);
// Waits until `window` is destroyed or hidden.
void WaitForWindowGone(HWND window, Milliseconds timeout);

// WM_GETTEXT through SendMessageTimeout; the window's own caption
// (GetWindowTextW, no message) when the target does not answer in time.
String ReadText(HWND window, Milliseconds timeout = kMessageTimeout);
String ClassNameOf(HWND window);
DWORD ProcessIdOf(HWND window);
DWORD ThreadIdOf(HWND window);
bool IsVisible(HWND window);
bool IsEnabled(HWND window);

RECT WindowRect(HWND window);  // screen coordinates
RECT ClientRect(HWND window);  // (0,0)-(w,h)
int OuterWidth(HWND window);
int OuterHeight(HWND window);
inline int Width(const RECT& r) { return r.right - r.left; }
inline int Height(const RECT& r) { return r.bottom - r.top; }

// The window that owns `window` (GW_OWNER), or nullptr.
HWND OwnerOf(HWND window);

// SendMessageTimeout with SMTO_ABORTIFHUNG; throws TimeoutError when the
// target does not answer within `timeout`.
LRESULT SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                    Milliseconds timeout = kMessageTimeout);

}  // namespace varnel::ui
