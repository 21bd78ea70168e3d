// Varnel.exe: registers a family of DCOM servers and sets the account DCOM
// launches them under.

#include <windows.h>

#include "app/Application.h"
#include "app/Services.h"
#include "app/Unattended.h"
#include "platform/win32/ShellDialogWin32.h"
#include "setup/SetupRules.h"
#include "setup/win32/UVarnel.h"

using namespace varnel;

namespace {

// The window program. A failure that ends it has been presented; the exit
// code then says the program did not run to its normal end.
int RunSetupWindow() {
  app::Application application;
  try {
    application.Initialize();
    application.SetTitle(setup::kApplicationTitle);

    app::Services services(application.AppWindow(), /*silent=*/false, application.Pump());
    win32::ShellDialogWin32 dialog(application.AppWindow());
    setup::TFrmVarnel FrmVarnel(application, services.Job(), dialog, application.MessageBox());
    application.Run(FrmVarnel);
    return 0;
  } catch (...) {
    application.HandleException();
    return 1;
  }
}

}  // namespace

// The same program in two files: Varnel.exe (a window program) and
// Varnel.com (a console program, which a prompt waits for and whose Ctrl+C
// it receives). Either one runs unattended when it is given arguments.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    const std::vector<String> arguments = app::CommandLineArguments();
    if (!arguments.empty()) return app::RunUnattended(arguments);
    return RunSetupWindow();
  } catch (...) {
    // The application object itself could not be made (its hidden window
    // first of all), so a box has no owner of ours.
    win32::MessageBoxWin32 box(nullptr);
    app::PresentException(box, setup::kApplicationTitle);
    return 1;
  }
}
