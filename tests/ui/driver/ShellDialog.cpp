#include "tests/ui/driver/ShellDialog.h"

#include "tests/ui/driver/Controls.h"
#include "tests/ui/driver/Input.h"
#include "tests/ui/driver/MessageBoxes.h"
#include "tests/ui/driver/Windows.h"

namespace varnel::ui {

namespace {

HWND DirectChild(HWND parent, int id) {
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    if (::GetWindowLongPtrW(child, GWLP_ID) == id && ClassNameOf(child) == u"Button") return child;
  return nullptr;
}

// The file-name edit: the first visible, enabled edit of the dialog that is
// not the in-place rename edit of its list or tree.
HWND FileNameEdit(HWND dialog) {
  for (const ControlInfo& c : ListChildren(dialog, true)) {
    if (c.ClassName != u"Edit" || !c.Visible || !c.Enabled) continue;
    const String parentClass = ClassNameOf(c.Parent);
    if (parentClass == u"SysListView32" || parentClass == u"SysTreeView32") continue;
    return c.Handle;
  }
  return nullptr;
}

}  // namespace

bool IsFileDialog(HWND window) {
  return ::IsWindowVisible(window) && ClassNameOf(window) == u"#32770" && !IsMessageBox(window) &&
         DirectChild(window, IDOK) && DirectChild(window, IDCANCEL) && FileNameEdit(window);
}

FileDialog ReadFileDialog(HWND window) {
  FileDialog dialog;
  dialog.Handle = window;
  dialog.Caption = ReadText(window);
  dialog.FileNameEdit = FileNameEdit(window);
  dialog.OkButton = DirectChild(window, IDOK);
  dialog.CancelButton = DirectChild(window, IDCANCEL);
  return dialog;
}

std::optional<FileDialog> FindFileDialog(DWORD pid, const std::optional<String>& caption) {
  WindowQuery query;
  query.ProcessId = pid;
  query.ClassName = u"#32770";
  query.Caption = caption;
  for (HWND window : FindTopLevelWindows(query))
    if (IsFileDialog(window)) return ReadFileDialog(window);
  return std::nullopt;
}

FileDialog WaitForFileDialog(DWORD pid, Milliseconds timeout,
                             const std::optional<String>& caption) {
  std::optional<FileDialog> found;
  String what = u"the shell's file dialog";
  if (caption) what += u" \"" + *caption + u"\"";
  if (pid) what += u" of process " + IntToStr(pid);
  WaitUntil([&] { return (found = FindFileDialog(pid, caption)).has_value(); }, timeout, what);
  return *found;
}

void CancelFileDialog(const FileDialog& dialog, Milliseconds timeout) {
  Click(dialog.CancelButton);
  WaitForWindowGone(dialog.Handle, timeout);
}

void PickPath(const FileDialog& dialog, const String& path, Milliseconds timeout) {
  SetEditText(dialog.FileNameEdit, path);
  Click(dialog.OkButton);
  WaitForWindowGone(dialog.Handle, timeout);
}

}  // namespace varnel::ui
