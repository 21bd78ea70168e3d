#pragma once
// The shell's open dialog (IFileOpenDialog) of another process, driven the
// way Wine 8 lets it be driven: a path set into its file-name edit and its
// IDOK button clicked, or its IDCANCEL button clicked.

#include <windows.h>

#include <optional>

#include "runtime/String.h"
#include "tests/ui/driver/Wait.h"

namespace varnel::ui {

struct FileDialog {
  HWND Handle = nullptr;
  String Caption;
  HWND FileNameEdit = nullptr;
  HWND OkButton = nullptr;
  HWND CancelButton = nullptr;
};

// A visible "#32770" that is no message box and has an edit and IDOK/IDCANCEL.
bool IsFileDialog(HWND window);
FileDialog ReadFileDialog(HWND window);

// The dialog of process `pid` (0: any), with that caption when one is given.
std::optional<FileDialog> FindFileDialog(DWORD pid, const std::optional<String>& caption = {});
FileDialog WaitForFileDialog(DWORD pid, Milliseconds timeout,
                             const std::optional<String>& caption = {});

// Clicks Cancel and waits until the dialog is gone.
void CancelFileDialog(const FileDialog& dialog, Milliseconds timeout = Milliseconds(5000));
// Types `path` (a folder or a file) into the file-name edit, clicks OK and
// waits until the dialog is gone.
void PickPath(const FileDialog& dialog, const String& path,
              Milliseconds timeout = Milliseconds(5000));

}  // namespace varnel::ui
