#pragma once
// The application object: COM for the GUI thread, the hidden top-level
// window, the title, the message loop and pump, and the presentation of
// every exception that leaves a handler.

#include <windows.h>

#include <memory>

#include "forms/win32/Form.h"
#include "forms/win32/Host.h"
#include "forms/win32/Window.h"
#include "platform/MessagePump.h"
#include "platform/win32/MessageBoxWin32.h"

namespace varnel::app {

// OleInitialize for the life of the application object.
class OleSession {
 public:
  OleSession();
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;
  ~OleSession();

 private:
  bool initialized_ = false;
};

class Application final : public forms::IFormHost, public IMessagePump {
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
  IMessagePump& Pump() override { return *this; }
  const String& Title() const override { return title_; }
  void Terminate() override;

  // IMessagePump
  void ProcessMessages() override;
  bool Terminated() const override { return terminated_; }

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
  bool coInitialized_ = false;
  HiddenWindow window_;
  std::unique_ptr<win32::MessageBoxWin32> messageBox_;
  String title_;
  bool terminated_ = false;
};

// Shows the exception in flight in `box`, as every handler's failure is
// shown; a silent abort shows nothing. When no box can be shown (no window
// system at all) the message goes to standard error as one line instead.
// Returns false in that case. Call it from inside a catch block.
bool PresentException(IMessageBox& box, const String& caption) noexcept;

}  // namespace varnel::app
