#include "app/Application.h"

#include <algorithm>
#include <string>

#include "platform/win32/StandardStream.h"
#include "platform/win32/Text.h"
#include "runtime/Exceptions.h"

namespace varnel::app {

namespace {
constexpr wchar_t kAppWindowClass[] = L"VarnelApplication";
}

Application::HiddenWindow::HiddenWindow(Application& application) : Window(application) {
  RegisterWindowClass({.Name = kAppWindowClass});
  Create({.ClassName = kAppWindowClass, .Style = WS_POPUP, .ExStyle = WS_EX_TOOLWINDOW});
}

Application::Application() : window_(*this) {
  messageBox_ = std::make_unique<win32::MessageBoxWin32>(window_.Handle());
}

Application::~Application() { window_.Destroy(); }

void Application::Initialize() { com_.emplace(); }

void Application::SetTitle(const String& title) {
  title_ = title;
  ::SetWindowTextW(window_.Handle(), win32::W(title_));
}

void Application::Run(forms::Form& mainForm) {
  mainForm.Show();
  while (!pump_.Terminated()) {
    pump_.ProcessMessages();
    if (pump_.Terminated()) break;
    ::WaitMessage();
  }
}

void Application::Terminate() { ::PostQuitMessage(0); }

void Application::HandleException() noexcept {
  if (const HWND capture = ::GetCapture()) ::SendMessageW(capture, WM_CANCELMODE, 0, 0);
  PresentException(*messageBox_, title_);
}

bool PresentException(IMessageBox& box, const String& caption) noexcept {
  try {
    try {
      throw;
    } catch (const EAbort&) {
      return true;  // the silent abort shows nothing
    } catch (...) {
    }
    const String message = PresentableMessage(CurrentExceptionMessage());
    // Zero is the documented failure; a dialog that could not be made gives -1.
    if (box.Show(message, caption, MB_OK | MB_ICONERROR) > 0) return true;
    // No box could be made: without a window system standard error is the
    // only place left to say why, on one line, though the system's own
    // messages may hold line breaks.
    String line = u"Varnel.exe: no se pudo mostrar ninguna ventana: " + message;
    std::erase(line, u'\r');
    std::replace(line.begin(), line.end(), u'\n', u' ');
    win32::WriteStandardLine(STD_ERROR_HANDLE, line);
    return false;
  } catch (...) {
    // Nothing may leave the presentation: it runs inside window procedures.
    return false;
  }
}

}  // namespace varnel::app
