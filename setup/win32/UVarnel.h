#pragma once
// The setup window: the administrator picks a folder of servers (or one
// server), the account DCOM launches them under, and starts the run.

#include <memory>

#include "forms/win32/Controls.h"
#include "forms/win32/Form.h"
#include "platform/MessageBox.h"
#include "platform/ShellDialog.h"
#include "platform/VersionSource.h"
#include "runtime/StringList.h"

namespace varnel::setup {

// The outside services the window uses; the application wires the real
// ones, tests may hand in their own.
struct SetupServices {
  IVersionSource& Versions;
  IShellDialog& Dialog;
  IMessageBox& Boxes;
};

class TFrmVarnel : public forms::Form {
 public:
  TFrmVarnel(forms::IFormHost& host, SetupServices services);

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

  SetupServices services_;
  std::unique_ptr<TStringList> gSlArchivos;
  std::unique_ptr<TStringList> gSlErrores;
};

}  // namespace varnel::setup
