#pragma once
// The setup window: the administrator picks a folder of servers (or one
// server), the account DCOM launches them under, and starts the run.

#include <memory>

#include "components/Component.h"
#include "components/USDCOMConnection.h"
#include "forms/win32/Controls.h"
#include "forms/win32/Form.h"
#include "platform/AppIdRegistry.h"
#include "platform/ClassRegistry.h"
#include "platform/Clock.h"
#include "platform/FolderEnumerator.h"
#include "platform/MessageBox.h"
#include "platform/ProcessStarter.h"
#include "platform/ShellDialog.h"
#include "platform/VersionSource.h"
#include "runtime/StringList.h"
#include "setup/CommandRunner.h"
#include "setup/RegistrationRun.h"
#include "setup/ServerSteps.h"

namespace varnel::setup {

// The outside services the window uses; the application wires the real
// ones, tests may hand in their own.
struct SetupServices {
  IVersionSource& Versions;
  IShellDialog& Dialog;
  IMessageBox& Boxes;
  IProcessStarter& Processes;
  IAppIdRegistry& AppIds;
  IFolderEnumerator& Folders;
  IClassRegistry& Classes;
  IClock& Clock;
};

class TFrmVarnel : public forms::Form, private IIdentitySource {
 public:
  TFrmVarnel(forms::IFormHost& host, SetupServices services);
  ~TFrmVarnel() override;

  forms::GroupBox* GroupBox1 = nullptr;
  forms::Label* LblUsuario = nullptr;
  forms::Label* LblContrasena = nullptr;
  forms::Label* LblConfContrasena = nullptr;
  forms::RadioButton* RdbUsuarioInactivo = nullptr;
  forms::RadioButton* RdbUsuarioInicial = nullptr;
  forms::RadioButton* RdbEsteUsuario = nullptr;
  forms::Edit* EdtUsuario = nullptr;
  forms::Edit* EdtContrasena = nullptr;
  forms::Edit* EdtConfContrasena = nullptr;
  forms::GroupBox* GrbDirectorio = nullptr;
  forms::Edit* EdtDirSvrDcom = nullptr;
  forms::PictureButton* BitBtnDirServ = nullptr;
  forms::PictureButton* BitBtnAceptar = nullptr;
  SDCOMConnection* DCOM = nullptr;
  forms::RadioGroup* RdgTipRegi = nullptr;
  forms::Image* Image1 = nullptr;
  forms::Label* LblVersion = nullptr;

  void RdbUsuarioInactivoClick();
  void RdbEsteUsuarioClick();
  void BitBtnDirServClick();
  void BitBtnAceptarClick();
  void RdgTipRegiClick();
  void FormShow();

 protected:
  void OnShow() override { FormShow(); }

 private:
  void BuscarArchivos(const String& folder, const String& mask, bool recursive);
  void ProcesarServidores(const TStringList& list);

  void SetCredentialsEnabled(bool enabled);
  void Summary(bool failed);

  // IIdentitySource: the selection and texts as they are at each call.
  bool InteractivoSelected() const override;
  bool InicialSelected() const override;
  bool EsteUsuarioSelected() const override;
  String Usuario() const override;
  String Contrasena() const override;

  SetupServices services_;
  TComponent components_;               // owns DCOM and frees it with the window
  std::unique_ptr<ServerSteps> steps_;  // over DCOM and the window's options
  bool runActive_ = false;
  std::unique_ptr<TStringList> gSlArchivos;
  std::unique_ptr<TStringList> gSlErrores;
  setup::RunReport informe_;  // the last run's results, item by item
};

}  // namespace varnel::setup
