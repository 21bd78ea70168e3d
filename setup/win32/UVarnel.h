#pragma once
// The setup window: the administrator picks a folder of servers (or one
// server), the account DCOM launches them under, and starts the run.

#include <memory>

#include "components/USDCOMConnection.h"
#include "forms/win32/Controls.h"
#include "forms/win32/Form.h"
#include "platform/MessageBox.h"
#include "platform/ShellDialog.h"
#include "setup/CommandRunner.h"
#include "setup/JobServices.h"
#include "setup/RegistrationJob.h"
#include "setup/ServerSteps.h"

namespace varnel::setup {

class TFrmVarnel : public forms::Form, private IIdentitySource {
 public:
  // The job's services, and the two the window alone uses: the picker and
  // the boxes.
  TFrmVarnel(forms::IFormHost& host, JobServices& services, IShellDialog& dialog,
             IMessageBox& boxes);
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
  // The connection component the run writes ServerName to; the run's steps
  // own it and keep it as long as the window.
  components::SDCOMConnection* DCOM = nullptr;
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
  void SetCredentialsEnabled(bool enabled);
  void Summary(const JobOutcome& outcome);

  // IIdentitySource: the selection and texts as they are at each call.
  bool InteractivoSelected() const override;
  bool InicialSelected() const override;
  bool EsteUsuarioSelected() const override;
  String Usuario() const override;
  String Contrasena() const override;

  JobServices& services_;
  IShellDialog& dialog_;
  IMessageBox& boxes_;
  ServerSteps steps_;  // over the window's options; owns DCOM
  RegistrationJob job_;
  bool runActive_ = false;
};

}  // namespace varnel::setup
