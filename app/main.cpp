// Varnel.exe: registers a family of DCOM servers and sets the account DCOM
// launches them under.

#include <windows.h>

#include "app/Application.h"
#include "platform/win32/ShellDialogWin32.h"
#include "platform/win32/VersionSourceWin32.h"
#include "setup/SetupRules.h"
#include "setup/win32/UVarnel.h"

using namespace varnel;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  app::Application application;
  try {
    application.Initialize();
    application.SetTitle(setup::kApplicationTitle);

    // Production wiring of every outside service.
    win32::VersionSourceWin32 versions;
    win32::ShellDialogWin32 dialog(application.AppWindow());
    setup::TFrmVarnel FrmVarnel(application,
                                {versions, dialog, application.MessageBox()});
    application.Run(FrmVarnel);
  } catch (...) {
    application.HandleException();
  }
  return 0;
}
