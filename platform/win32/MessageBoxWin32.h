#pragma once

#include <windows.h>

#include "platform/MessageBox.h"

namespace varnel::win32 {

class MessageBoxWin32 final : public IMessageBox {
 public:
  explicit MessageBoxWin32(HWND appWindow) : appWindow_(appWindow) {}
  int Show(const String& text, const String& caption, std::uint32_t flags) override;

 private:
  HWND appWindow_;
};

}  // namespace varnel::win32
