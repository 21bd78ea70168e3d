#pragma once
// The child controls of a window: what they are, where they sit, what they
// show, and in which order Tab moves through them.

#include <windows.h>

#include <optional>
#include <vector>

#include "runtime/String.h"
#include "tests/ui/driver/Wait.h"

namespace varnel::ui {

struct ControlInfo {
  HWND Handle = nullptr;
  String ClassName;
  String Text;
  RECT RectInParentClient{};  // in the client coordinates of Parent
  bool Enabled = false;
  bool Visible = false;
  bool Checked = false;  // BM_GETCHECK == BST_CHECKED (buttons only)
  int Id = 0;
  HWND Parent = nullptr;
  // Position among its siblings, 0 = top of the Z-order. For windows whose
  // keyboard interface is IsDialogMessage this is the Tab order.
  int ZOrderIndex = 0;
  LONG Style = 0;
  LONG ExStyle = 0;
  int Depth = 0;  // 0 for children of the listed window, 1 below them, ...

  bool TabStop() const { return (Style & WS_TABSTOP) != 0; }
  bool Group() const { return (Style & WS_GROUP) != 0; }
  int Width() const { return RectInParentClient.right - RectInParentClient.left; }
  int Height() const { return RectInParentClient.bottom - RectInParentClient.top; }
};

ControlInfo DescribeControl(HWND control, int zOrderIndex = 0, int depth = 0);

// Children in Z-order; with `recursive`, each child is followed by its own
// children (depth first).
std::vector<ControlInfo> ListChildren(HWND parent, bool recursive);

struct ControlQuery {
  std::optional<String> Text;  // matches the text, or the text with its "&" marks removed
  std::optional<String> ClassName;
  std::optional<int> Id;
  bool VisibleOnly = false;
};

String Describe(const ControlQuery& query);

// The first match among all descendants (Z-order, depth first), or nullptr.
HWND FindChild(HWND parent, const ControlQuery& query);
// As FindChild, but throws Exception naming the query when none matches.
HWND GetChild(HWND parent, const ControlQuery& query);
HWND WaitForChild(HWND parent, const ControlQuery& query, Milliseconds timeout);

// The direct children Tab visits, in order: visible, enabled, WS_TABSTOP.
std::vector<ControlInfo> TabOrder(HWND parent);

bool IsChecked(HWND button);

// "&Aceptar" -> "Aceptar"; "&&" stays one "&".
String StripAccelerators(StringView text);
// The mnemonic letter of a text ("&Aceptar" -> u'A'), or 0.
char16_t AcceleratorOf(StringView text);

}  // namespace varnel::ui
