#pragma once
// What every window needs from the application it lives in. The application
// object implements it; tests can hand in their own.

#include <windows.h>

#include "platform/MessagePump.h"
#include "runtime/String.h"

namespace varnel::forms {

class IFormHost {
 public:
  virtual ~IFormHost() = default;
  // Presents the exception being handled; called from inside a catch block
  // at the window-procedure boundary, so no exception crosses a callback.
  virtual void HandleException() noexcept = 0;
  // The application's hidden top-level window.
  virtual HWND AppWindow() const = 0;
  virtual IMessagePump& Pump() = 0;
  virtual const String& Title() const = 0;
  // The main window asked to close: the application terminates.
  virtual void Terminate() = 0;
};

}  // namespace varnel::forms
