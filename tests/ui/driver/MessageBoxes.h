#pragma once
// Message boxes of another process: "#32770" windows with the text in the
// child of id 0xFFFF and the icon in the static of id 1088 (0x440).

#include <windows.h>

#include <optional>
#include <vector>

#include "runtime/String.h"
#include "tests/ui/driver/Wait.h"

namespace varnel::ui {

enum class IconKind { None, Error, Information, Warning, Question, Unknown };

// "none", "error", "information", "warning", "question", "unknown".
String IconKindName(IconKind kind);

struct MessageBoxInfo {
  HWND Handle = nullptr;
  String Caption;
  String Text;
  IconKind Icon = IconKind::None;
  std::vector<String> Buttons;  // texts, in Z-order
  std::vector<int> ButtonIds;   // IDOK, IDCANCEL, ... in the same order
  HWND Owner = nullptr;
};

inline constexpr int kMessageBoxTextId = 0xFFFF;
inline constexpr int kMessageBoxIconId = 0x440;

// A visible "#32770" with a static of id 0xFFFF.
bool IsMessageBox(HWND window);
MessageBoxInfo ReadMessageBox(HWND box);

// Message boxes of process `pid` (0: any process), topmost first.
std::vector<HWND> FindMessageBoxes(DWORD pid);
std::optional<MessageBoxInfo> FindMessageBox(DWORD pid);
MessageBoxInfo WaitForMessageBox(DWORD pid, Milliseconds timeout);

// Posts BM_CLICK to the box's button of that id (IDOK, IDCANCEL, ...) and
// waits until the box is gone.
void Press(const MessageBoxInfo& box, int buttonId, Milliseconds timeout = Milliseconds(5000));

// Which system icon the static shows: first by handle (system icons are
// shared within a session on Windows), then, because Wine gives each
// process its own handles, by comparing the pixels on the screen with the
// system icons drawn in this process.
IconKind DetectIcon(HWND iconControl);
// The two ways alone: None when the static shows no icon, Unknown when the
// icon is none of the four.
IconKind DetectIconByHandle(HWND iconControl);
IconKind DetectIconByPixels(HWND iconControl);

}  // namespace varnel::ui
