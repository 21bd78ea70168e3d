#include "progress/win32/UINFOP50.h"

#include "resources/resource.h"

namespace varnel::progress {

using forms::Align;
using forms::ControlSpec;
using forms::Kind;
using forms::TextAlign;

namespace {

constexpr std::uint32_t kNavy = 0x00800000;  // red 0, green 0, blue 128

forms::FormSpec WindowSpec(HWND owner) {
  forms::FormSpec window;
  window.ClassName = u"TFrmInfoP50";
  window.Caption = u"Información del Proceso";
  window.ClientWidth = 507;
  window.ClientHeight = 181;
  window.MinimizeBox = true;
  window.MaximizeBox = true;
  window.Font = {u"MS Sans Serif", 11, false, 0xFFFFFFFF};
  window.Owner = owner;
  return window;
}

// The bar as a control of the toolkit: the window is the gauge's own.
class GaugeControl : public forms::Control {
 public:
  GaugeControl(forms::Form& form, const ControlSpec& row, const TProgressBarModel& model)
      : Control(form, row),
        gauge_(form.Host(), form.ParentWindowFor(row),
               RECT{row.Left, row.Top, row.Left + row.Width, row.Top + row.Height}, model) {
    Attach(gauge_.Handle());
  }
  TGaugeBar& Gauge() { return gauge_; }

 private:
  TGaugeBar gauge_;
};

}  // namespace

TFrmInfoP50::TFrmInfoP50(forms::IFormHost& host, IClock& clock, HWND owner)
    : Form(host, WindowSpec(owner)), TFrmInfoP50Logic(static_cast<IInfoP50View&>(*this), clock) {
  const forms::FontSpec bold{u"MS Sans Serif", 11, true, kNavy};
  // One row a control: name and member, kind, parent, caption, left, top,
  // width, height, then what the kind needs.
  // clang-format off
  const forms::Layout layout = {
      {.Name = u"PSuperior", .Into = &PSuperior, .Type = Kind::Panel, .Caption = u" ",
       .Left = 0, .Top = 0, .Width = 507, .Height = 89, .Dock = Align::Top},
      {.Name = u"LNombreItemActual", .Into = &LNombreItemActual, .Type = Kind::Label,
       .Parent = &PSuperior, .Caption = u"LNombreItemActual",
       .Left = 8, .Top = 8, .Width = 331, .Height = 13},
      {.Name = u"LItemActual", .Into = &LItemActual, .Type = Kind::Label,
       .Parent = &PSuperior, .Caption = u"LItemActual",
       .Left = 352, .Top = 8, .Width = 137, .Height = 13,
       .Alignment = TextAlign::Right, .Font = bold},
      {.Name = u"LMensaje", .Type = Kind::Label,
       .Parent = &PSuperior, .Caption = u"Mensaje del Proceso:",
       .Left = 8, .Top = 24, .Width = 102, .Height = 13, .AutoSize = true},
      {.Name = u"LMensajeDelProceso", .Into = &LMensajeDelProceso, .Type = Kind::Label,
       .Parent = &PSuperior, .Caption = u"LMensajeDelProceso",
       .Left = 120, .Top = 24, .Width = 377, .Height = 13},
      {.Name = u"LUltimo", .Type = Kind::Label,
       .Parent = &PSuperior, .Caption = u"Ultimo Error:",
       .Left = 8, .Top = 40, .Width = 57, .Height = 13, .AutoSize = true},
      {.Name = u"LUltimoError", .Into = &LUltimoError, .Type = Kind::Label,
       .Parent = &PSuperior, .Caption = u"LUltimoError",
       .Left = 72, .Top = 40, .Width = 417, .Height = 25, .WordWrap = true},
      {.Name = u"LErrores", .Type = Kind::Label,
       .Parent = &PSuperior, .Caption = u"Número de errores producidos:",
       .Left = 8, .Top = 72, .Width = 145, .Height = 13, .AutoSize = true},
      {.Name = u"LNumeroDeErroresProducidos", .Into = &LNumeroDeErroresProducidos,
       .Type = Kind::Label, .Parent = &PSuperior, .Caption = u"LNumeroDeErroresProducidos",
       .Left = 160, .Top = 72, .Width = 143, .Height = 13, .AutoSize = true},
      {.Name = u"GBTiempos", .Into = &GBTiempos, .Type = Kind::GroupBox,
       .Caption = u" Estadísticas ",
       .Left = 0, .Top = 89, .Width = 507, .Height = 60, .Dock = Align::Top},
      {.Name = u"PSuperior1", .Into = &PSuperior1, .Type = Kind::Panel,
       .Parent = &GBTiempos, .Caption = u" ",
       .Left = 2, .Top = 15, .Width = 503, .Height = 26, .Dock = Align::Top},
      {.Name = u"LUltimoT", .Type = Kind::Label,
       .Parent = &PSuperior1, .Caption = u"Ultimo tiempo Registrado:",
       .Left = 5, .Top = -1, .Width = 120, .Height = 13, .AutoSize = true},
      {.Name = u"LTmpTrn", .Type = Kind::Label,
       .Parent = &PSuperior1, .Caption = u"Tiempo Transcurrido:",
       .Left = 7, .Top = 12, .Width = 100, .Height = 13, .AutoSize = true},
      {.Name = u"LUltimoTiempo", .Into = &LUltimoTiempo, .Type = Kind::Label,
       .Parent = &PSuperior1, .Caption = u"LUltimoTiempo",
       .Left = 144, .Top = 0, .Width = 129, .Height = 13},
      {.Name = u"LTiempoTranscurrido", .Into = &LTiempoTranscurrido, .Type = Kind::Label,
       .Parent = &PSuperior1, .Caption = u"LTiempoTranscurrido",
       .Left = 144, .Top = 12, .Width = 137, .Height = 13},
      {.Name = u"PInferior1", .Into = &PInferior1, .Type = Kind::Panel,
       .Parent = &GBTiempos, .Caption = u" ",
       .Left = 2, .Top = 41, .Width = 503, .Height = 17, .Dock = Align::Top},
      {.Name = u"GBarraDeAvance", .Type = Kind::Custom, .Parent = &PInferior1,
       .Left = 4, .Top = 2, .Width = 493, .Height = 11},
      {.Name = u"PInferior", .Into = &PInferior, .Type = Kind::Panel, .Caption = u" ",
       .Left = 0, .Top = 149, .Width = 507, .Height = 31, .Dock = Align::Top},
      {.Name = u"SBVerDetalles", .Into = &SBVerDetalles, .Type = Kind::FlatButton,
       .Parent = &PInferior, .Caption = u"&Ver Detalles",
       .Left = 194, .Top = 5, .Width = 95, .Height = 25,
       .Picture = IDB_VERDETALLES, .GlyphCount = 2,
       .OnClick = [this] { SBVerDetallesClick(); }},
      {.Name = u"BDetenerProceso", .Into = &BDetenerProceso, .Type = Kind::FlatButton,
       .Parent = &PInferior, .Caption = u"Detener Proceso",
       .Left = 294, .Top = 5, .Width = 131, .Height = 25,
       .Picture = IDB_DETENER, .GlyphCount = 2,
       .OnClick = [this] { BDetenerProcesoClick(); }},
      {.Name = u"BSalir", .Into = &BSalir, .Type = Kind::FlatButton,
       .Parent = &PInferior, .Caption = u"&Salir",
       .Left = 430, .Top = 5, .Width = 75, .Height = 25,
       .Picture = IDB_SALIR, .GlyphCount = 2,
       .OnClick = [this] { BSalirClick(); }},
  };
  // clang-format on
  Build(layout, [this](const ControlSpec& row) -> std::unique_ptr<forms::Control> {
    auto control = std::make_unique<GaugeControl>(*this, row, Bar());
    gauge_ = &control->Gauge();
    return control;
  });
  FormCreate();
}

TFrmInfoP50::~TFrmInfoP50() = default;

void TFrmInfoP50::OnClose() { Hide(); }

forms::Label& TFrmInfoP50::LabelFor(TInfoLabel label) const {
  switch (label) {
    case TInfoLabel::LNombreItemActual:
      return *LNombreItemActual;
    case TInfoLabel::LItemActual:
      return *LItemActual;
    case TInfoLabel::LMensajeDelProceso:
      return *LMensajeDelProceso;
    case TInfoLabel::LUltimoError:
      return *LUltimoError;
    case TInfoLabel::LNumeroDeErroresProducidos:
      return *LNumeroDeErroresProducidos;
    case TInfoLabel::LUltimoTiempo:
      return *LUltimoTiempo;
    case TInfoLabel::LTiempoTranscurrido:
      return *LTiempoTranscurrido;
  }
  return *LNombreItemActual;
}

// Most items leave the clocks and counters of the window as they were; a
// label repainted with the text it already shows costs a synchronous paint
// per item and shows nothing new. A new text goes up with WM_SETTEXT, which
// invalidates the static control (Wine's even paints it there and then);
// UpdateWindow then paints whatever is invalid, synchronously. The full
// redraw of Label::SetCaption would invalidate and erase it once more: two
// more trips through the window manager per label and item. The error
// counter is the one label whose width follows its text.
void TFrmInfoP50::ShowText(TInfoLabel label, const String& text) {
  forms::Label& target = LabelFor(label);
  if (target.Caption() == text) return;
  if (label == TInfoLabel::LNumeroDeErroresProducidos) {
    target.SetCaption(text);
    return;
  }
  target.SetCaptionOnly(text);
  ::UpdateWindow(target.Handle());
}

void TFrmInfoP50::SetCaptionOnly(TInfoLabel label, const String& text) {
  LabelFor(label).SetCaptionOnly(text);
}

String TFrmInfoP50::LabelCaption(TInfoLabel label) const { return LabelFor(label).Caption(); }

void TFrmInfoP50::SetButtonEnabled(TInfoButton button, bool enabled) {
  (button == TInfoButton::BSalir ? BSalir : BDetenerProceso)->SetEnabled(enabled);
}

void TFrmInfoP50::ShowWindowAndBringToFront() { Show(); }

void TFrmInfoP50::HideWindow() { Hide(); }

void TFrmInfoP50::ProcessMessages() { Host().Pump().ProcessMessages(); }

void TFrmInfoP50::SetPanelVisible(TInfoPanel panel, bool visible) {
  (panel == TInfoPanel::PSuperior ? PSuperior : PSuperior1)->SetVisible(visible);
  Realign();
}

forms::Panel* TFrmInfoP50::PanelFor(TInfoHeight what) const {
  switch (what) {
    case TInfoHeight::Window:
      break;
    case TInfoHeight::PSuperior:
      return PSuperior;
    case TInfoHeight::PSuperior1:
      return PSuperior1;
    case TInfoHeight::GBTiempos:
      return GBTiempos;
  }
  return nullptr;
}

int TFrmInfoP50::Height(TInfoHeight what) const {
  const forms::Panel* panel = PanelFor(what);
  return panel ? panel->Height() : Form::Height();
}

void TFrmInfoP50::SetHeight(TInfoHeight what, int height) {
  if (forms::Panel* panel = PanelFor(what)) {
    panel->SetHeight(height);
    Realign();
  } else {
    Form::SetHeight(height);
  }
}

void TFrmInfoP50::RepaintBar() {
  if (gauge_) gauge_->RepaintNow();
}

}  // namespace varnel::progress
