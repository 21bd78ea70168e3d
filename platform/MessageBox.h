#pragma once
// A modal message box, as the error presentation and the run's summary show
// it: owned by the active window (or the application's window), with the
// application's other windows disabled while it is open.

#include <cstdint>

#include "runtime/String.h"

namespace varnel {

class IMessageBox {
 public:
  virtual ~IMessageBox() = default;
  // `flags` are MessageBoxW's (MB_OK | MB_ICONERROR = 0x10, ...). Returns the
  // button pressed.
  virtual int Show(const String& text, const String& caption, std::uint32_t flags) = 0;
};

}  // namespace varnel
