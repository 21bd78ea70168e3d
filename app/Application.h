#pragma once
// The application object: COM for the GUI thread, the hidden top-level
// window, the title, the message loop and pump, and the presentation of
// every exception that leaves a handler.

#include <windows.h>

#include <memory>
#include <optional>

#include "app/ComSession.h"
#include "app/MessagePump.h"
#include "forms/win32/Form.h"
#include "forms/win32/Host.h"
#include "forms/win32/Window.h"
#include "platform/win32/MessageBoxWin32.h"

namespace varnel::app {

class Application final : public forms::IFormHost {
 public:
  Application();
  ~Application() override;

  // The initialisation step: the GUI thread joins its COM apartment again
  // with CoInitialize (balanced on destruction).
  void Initialize();
  void SetTitle(const String& title);
  // Shows the main window and runs the message loop until it is closed.
  void Run(forms::Form& mainForm);

  // IFormHost
  void HandleException() noexcept override;
  HWND AppWindow() const override { return window_.Handle(); }
  IMessagePump& Pump() override { return pump_; }
  const String& Title() const override { return title_; }
  void Terminate() override;

  IMessageBox& MessageBox() { return *messageBox_; }

 private:
  // Hidden and a tool window: it owns dialogs and boxes but has no taskbar
  // button; the main window carries that.
  class HiddenWindow final : public forms::Window {
   public:
    explicit HiddenWindow(Application& application);
    using Window::Destroy;
  };

  OleSession ole_;
  std::optional<ComSession> com_;  // from Initialize on
  HiddenWindow window_;
  std::unique_ptr<win32::MessageBoxWin32> messageBox_;
  String title_;
  MessagePump pump_;
};

// Shows the exception in flight in `box`, as every handler's failure is
// shown; a silent abort shows nothing. When no box can be shown (no window
// system at all) the message goes to standard error as one line instead.
// Returns false in that case. Call it from inside a catch block.
bool PresentException(IMessageBox& box, const String& caption) noexcept;

}  // namespace varnel::app
