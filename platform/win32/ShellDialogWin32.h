#pragma once

#include <windows.h>

#include "platform/ShellDialog.h"

namespace varnel::win32 {

class ShellDialogWin32 final : public IShellDialog {
 public:
  explicit ShellDialogWin32(HWND appWindow) : appWindow_(appWindow) {}
  std::optional<String> Show(const OpenDialogRequest& request) override;
  bool FolderExists(const String& path) override;

 private:
  HWND appWindow_;
};

}  // namespace varnel::win32
