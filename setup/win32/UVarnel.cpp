#include "setup/win32/UVarnel.h"

#include <vector>

#include "platform/win32/Text.h"
#include "progress/win32/UINFOP50.h"
#include "resources/resource.h"
#include "runtime/Exceptions.h"
#include "setup/SetupRules.h"
#include "versioninfo/VersionInfo.h"

namespace varnel::setup {

using forms::Align;
using forms::ControlSpec;
using forms::Kind;

namespace {

forms::FontSpec Tahoma() { return {u"Tahoma", 11, false, 0xFFFFFFFF}; }

forms::FormSpec WindowSpec() {
  forms::FormSpec window;
  window.ClassName = u"TFrmVarnel";
  window.Caption = u"Configuración Servidores Quiral ";
  window.ClientWidth = 393;
  window.ClientHeight = 456;
  window.Font = Tahoma();
  return window;
}

String OwnExecutablePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) return win32::FromW(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

TFrmVarnel::TFrmVarnel(forms::IFormHost& host, JobServices& services, IShellDialog& dialog,
                       IMessageBox& boxes)
    : Form(host, WindowSpec()),
      services_(services),
      dialog_(dialog),
      boxes_(boxes),
      steps_(services, *this),
      job_(steps_, services.Folders) {
  // One row a control: name and member, kind, parent, caption, left, top,
  // width, height, tab order, then what the kind needs.
  // clang-format off
  const forms::Layout layout = {
      {.Name = u"Image1", .Into = &Image1, .Type = Kind::Image,
       .Left = 0, .Top = 0, .Width = 393, .Height = 86, .Dock = Align::Top, .Picture = IDB_BANNER},
      {.Name = u"LblVersion", .Into = &LblVersion, .Type = Kind::Label, .Caption = u"Versión:",
       .Left = 299, .Top = 438, .Width = 39, .Height = 13, .AutoSize = true, .Font = Tahoma()},
      {.Name = u"GroupBox1", .Into = &GroupBox1, .Type = Kind::GroupBox,
       .Caption = u" Seguridad de componentes DCOM ",
       .Left = 57, .Top = 220, .Width = 280, .Height = 200, .TabOrder = 1},
      {.Name = u"LblUsuario", .Into = &LblUsuario, .Type = Kind::Label,
       .Parent = &GroupBox1, .Caption = u"Usuario:",
       .Left = 22, .Top = 115, .Width = 40, .Height = 13, .AutoSize = true},
      {.Name = u"LblContrasena", .Into = &LblContrasena, .Type = Kind::Label,
       .Parent = &GroupBox1, .Caption = u"Contraseña:",
       .Left = 22, .Top = 139, .Width = 60, .Height = 13, .AutoSize = true},
      {.Name = u"LblConfContrasena", .Into = &LblConfContrasena, .Type = Kind::Label,
       .Parent = &GroupBox1, .Caption = u"Confirmar contraseña:",
       .Left = 22, .Top = 163, .Width = 108, .Height = 13, .AutoSize = true},
      {.Name = u"RdbUsuarioInactivo", .Into = &RdbUsuarioInactivo, .Type = Kind::RadioButton,
       .Parent = &GroupBox1, .Caption = u"Usuario interactivo",
       .Left = 22, .Top = 29, .Width = 113, .Height = 17, .TabOrder = 0,
       .OnClick = [this] { RdbUsuarioInactivoClick(); }},
      {.Name = u"RdbUsuarioInicial", .Into = &RdbUsuarioInicial, .Type = Kind::RadioButton,
       .Parent = &GroupBox1, .Caption = u"Usuario inicial",
       .Left = 22, .Top = 47, .Width = 113, .Height = 17, .TabOrder = 1,
       .OnClick = [this] { RdbUsuarioInactivoClick(); }},
      {.Name = u"RdbEsteUsuario", .Into = &RdbEsteUsuario, .Type = Kind::RadioButton,
       .Parent = &GroupBox1, .Caption = u"Este usuario",
       .Left = 22, .Top = 66, .Width = 113, .Height = 17, .TabOrder = 2, .Checked = true,
       .OnClick = [this] { RdbEsteUsuarioClick(); }},
      {.Name = u"EdtUsuario", .Into = &EdtUsuario, .Type = Kind::Edit, .Parent = &GroupBox1,
       .Left = 136, .Top = 113, .Width = 121, .Height = 21, .TabOrder = 3},
      {.Name = u"EdtContrasena", .Into = &EdtContrasena, .Type = Kind::Edit,
       .Parent = &GroupBox1,
       .Left = 136, .Top = 137, .Width = 121, .Height = 21, .TabOrder = 4, .Password = true},
      {.Name = u"EdtConfContrasena", .Into = &EdtConfContrasena, .Type = Kind::Edit,
       .Parent = &GroupBox1,
       .Left = 136, .Top = 161, .Width = 121, .Height = 21, .TabOrder = 5, .Password = true},
      {.Name = u"GrbDirectorio", .Into = &GrbDirectorio, .Type = Kind::GroupBox,
       .Caption = u" Directorio Servidores DCOM Quiral ",
       .Left = 7, .Top = 142, .Width = 378, .Height = 64, .TabOrder = 2},
      {.Name = u"EdtDirSvrDcom", .Into = &EdtDirSvrDcom, .Type = Kind::Edit,
       .Parent = &GrbDirectorio,
       .Left = 11, .Top = 32, .Width = 335, .Height = 21, .TabOrder = 0, .ReadOnly = true},
      {.Name = u"BitBtnDirServ", .Into = &BitBtnDirServ, .Type = Kind::PictureButton,
       .Parent = &GrbDirectorio,
       .Left = 346, .Top = 31, .Width = 22, .Height = 22, .TabOrder = 1, .Picture = IDB_FOLDER,
       .OnClick = [this] { BitBtnDirServClick(); }},
      {.Name = u"BitBtnAceptar", .Into = &BitBtnAceptar, .Type = Kind::PictureButton,
       .Caption = u"&Aceptar",
       .Left = 159, .Top = 426, .Width = 75, .Height = 25, .TabOrder = 3, .Default = true,
       .Picture = IDB_ACEPTAR, .GlyphCount = 2, .OnClick = [this] { BitBtnAceptarClick(); }},
      {.Name = u"RdgTipRegi", .Into = &RdgTipRegi, .Type = Kind::RadioGroup,
       .Caption = u" Modalidad de Registro ",
       .Left = 8, .Top = 92, .Width = 377, .Height = 44, .TabOrder = 0,
       .Items = {u"Directorio", u"Programa"}, .Columns = 2, .ItemIndex = 0,
       .OnClick = [this] { RdgTipRegiClick(); }},
  };
  // clang-format on
  Build(layout);

  DCOM = &steps_.DCOM();
}

TFrmVarnel::~TFrmVarnel() = default;

void TFrmVarnel::FormShow() {
  versioninfo::TEXEVersionData data;
  versioninfo::GetEXEVersionData(services_.Versions, OwnExecutablePath(), data);
  SetCaption(u"QUIRAL QRM - Configuración Servidores Quiral Velmira");
  LblVersion->SetCaption(u"Versión: " + data.FileVersion);
  LblVersion->SetLeft(VersionLabelLeft(Left(), Width(), LblVersion->Width()));
}

void TFrmVarnel::SetCredentialsEnabled(bool enabled) {
  for (forms::Control* control :
       {static_cast<forms::Control*>(LblUsuario), static_cast<forms::Control*>(EdtUsuario),
        static_cast<forms::Control*>(LblContrasena), static_cast<forms::Control*>(EdtContrasena),
        static_cast<forms::Control*>(LblConfContrasena),
        static_cast<forms::Control*>(EdtConfContrasena)})
    control->SetEnabled(enabled);
}

void TFrmVarnel::RdbUsuarioInactivoClick() { SetCredentialsEnabled(false); }

void TFrmVarnel::RdbEsteUsuarioClick() { SetCredentialsEnabled(true); }

void TFrmVarnel::RdgTipRegiClick() {
  GrbDirectorio->SetCaption(DirectoryGroupCaption(RdgTipRegi->ItemIndex()));
}

void TFrmVarnel::BitBtnDirServClick() {
  const bool folderExists = dialog_.FolderExists(kDefaultServerFolder);
  const std::optional<String> chosen =
      dialog_.Show(PickerRequest(RdgTipRegi->ItemIndex(), folderExists));
  if (!chosen) throw EAbort();
  EdtDirSvrDcom->SetText(*chosen);
}

// One run at a time: the window stays live while a run pumps messages, so a
// second press (or Enter) would otherwise start a run inside the run.
void TFrmVarnel::BitBtnAceptarClick() {
  if (runActive_) return;
  const JobRequest request{.EsteUsuario = RdbEsteUsuario->Checked(),
                           .Usuario = EdtUsuario->Text(),
                           .Contrasena = EdtContrasena->Text(),
                           .Confirmacion = EdtConfContrasena->Text(),
                           .Modo = RdgTipRegi->ItemIndex(),
                           .Ruta = EdtDirSvrDcom->Text()};
  runActive_ = true;
  struct RunFlag {
    bool& flag;
    ~RunFlag() { flag = false; }
  } runFlag{runActive_};

  const JobOutcome outcome = job_.Ejecutar(request, [this] {
    return std::make_unique<progress::TFrmInfoP50>(Host(), services_.Clock, Handle());
  });
  if (outcome.NothingFound()) {
    boxes_.Show(kNothingFound, Host().Title(), static_cast<std::uint32_t>(MB_OK | MB_ICONWARNING));
    return;
  }
  Summary(outcome);
  if (outcome.Failure) std::rethrow_exception(outcome.Failure);
}

// A plain message box, so Ctrl+C copies the failures as on any other box.
void TFrmVarnel::Summary(const JobOutcome& outcome) {
  const bool failed = !outcome.Succeeded();
  boxes_.Show(outcome.SummaryText(), Host().Title(),
              static_cast<std::uint32_t>(MB_OK | (failed ? MB_ICONERROR : MB_ICONINFORMATION)));
}

bool TFrmVarnel::InteractivoSelected() const { return RdbUsuarioInactivo->Checked(); }
bool TFrmVarnel::InicialSelected() const { return RdbUsuarioInicial->Checked(); }
bool TFrmVarnel::EsteUsuarioSelected() const { return RdbEsteUsuario->Checked(); }
String TFrmVarnel::Usuario() const { return EdtUsuario->Text(); }
String TFrmVarnel::Contrasena() const { return EdtContrasena->Text(); }

}  // namespace varnel::setup
