#include "progress/ProgressLogic.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "progress/WholeNumber.h"

namespace varnel::progress {
namespace {

// Counters wrap like the 32-bit fields they are instead of overflowing.
std::int32_t Wrapped(std::int64_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

}  // namespace

TFrmInfoP50Logic::TFrmInfoP50Logic(IInfoP50View& view, IClock& clock)
    : view_(view), clock_(clock), bar_([this] { BarChanged(); }) {}

void TFrmInfoP50Logic::BarChanged() {
  if (holdingBar_)
    barChanged_ = true;
  else
    view_.RepaintBar();
}

void TFrmInfoP50Logic::Inicializar(std::int32_t pCantidadDeRegistros, bool pResetAll) {
  // A reset clears a stop asked before it, first: a press while the label
  // below pumps messages is a stop of the pass that starts now, and stays.
  if (pResetAll) FContinuarProceso = true;
  NombreItemActual(String());
  FItemsAProcesar = pCantidadDeRegistros;
  SetItemActual(0);
  if (pResetAll) {
    SetNumeroDeErroresProducidos(0);
    UltimoError(String());
    view_.SetCaptionOnly(TInfoLabel::LUltimoTiempo, u"00m:00s:00ms");
    view_.SetCaptionOnly(TInfoLabel::LTiempoTranscurrido, u"0h:00m:00s");
    view_.SetButtonEnabled(TInfoButton::BSalir, false);
    view_.SetButtonEnabled(TInfoButton::BDetenerProceso, true);
    FHoraDeInicioTransAsignada = false;
  }
  MensajeDelProceso(String());
  // A negative count is refused here, before the window is shown.
  bar_.SetMaxValue(pCantidadDeRegistros);
  bar_.SetProgress(0);
  FColorRojo = 0.0;
  FColorVerde = 255.0;
  SetBarColorFromComponents();
  // Half the count in extended precision, as the step has always been taken.
  // An empty pass has no step: it finishes no item, and the window still
  // opens so that the caller's Finalizar has something to show.
  FPasosDeColor =
      pCantidadDeRegistros == 0
          ? 0.0
          : static_cast<double>(255.0L / (static_cast<long double>(pCantidadDeRegistros) / 2.0L));
  view_.ShowWindowAndBringToFront();
  view_.ProcessMessages();
}

void TFrmInfoP50Logic::NombreItemActual(const String& Value) {
  NombreItemActual(Value, Wrapped(static_cast<std::int64_t>(FItemActual) + 1));
}

void TFrmInfoP50Logic::NombreItemActual(const String& Value, std::int32_t pInRegActu) {
  view_.ShowText(TInfoLabel::LNombreItemActual, Value);
  SetItemActual(pInRegActu);
  if (!FHoraDeInicioTransAsignada) {
    FHoraDeInicioTrans = clock_.Now();
    FHoraDeInicioTransAsignada = true;
  }
  FHoraDeInicioItem = clock_.Now();
  view_.ProcessMessages();
}

void TFrmInfoP50Logic::EmpleadoActual(long double pIdentificacion, const String& pNombre) {
  NombreItemActual(FormatWholeNumber(pIdentificacion) + u"   " + pNombre);
}

void TFrmInfoP50Logic::EmpleadoActual(long double pIdentificacion, const String& pNombre,
                                      std::int32_t pInRegActu) {
  NombreItemActual(FormatWholeNumber(pIdentificacion) + u"   " + pNombre, pInRegActu);
}

void TFrmInfoP50Logic::ItemActualTerminado() {
  FinishItem(static_cast<std::int64_t>(bar_.Progress()) + 1);
}

void TFrmInfoP50Logic::EmpleadoActualTerminado() { ItemActualTerminado(); }

void TFrmInfoP50Logic::EmpleadoActualTerminado(std::int32_t pInRegActu) { FinishItem(pInRegActu); }

void TFrmInfoP50Logic::FinishItem(std::int64_t progress) {
  MostrarUltimoTiempo();
  MostrarTiempoTranscurrido();
  // An item moves the bar and turns its colour one step; nothing runs in
  // between, so one synchronous repaint shows both.
  holdingBar_ = true;
  // The bar clamps into its range; only the step past 2^31-1 needs help.
  bar_.SetProgress(
      static_cast<int>(std::min<std::int64_t>(progress, std::numeric_limits<std::int32_t>::max())));
  ApplyColorRamp();
  holdingBar_ = false;
  if (std::exchange(barChanged_, false)) view_.RepaintBar();
}

void TFrmInfoP50Logic::ApplyColorRamp() {
  // The ratio in extended precision: with doubles an item that lies a hair
  // past the half could fall on the other side of it.
  const long double ratio = bar_.MaxValue() == 0 ? 0.0L
                                                 : static_cast<long double>(bar_.Progress()) /
                                                       static_cast<long double>(bar_.MaxValue());
  // Each sum is taken in extended precision and stored in its 8-byte field
  // before the limit is tested, so the test sees the stored value.
  if (ratio > 0.5L) {
    FColorVerde = static_cast<double>(static_cast<long double>(FColorVerde) - FPasosDeColor);
    if (!(FColorVerde >= 0.0)) FColorVerde = 0.0;
  } else {
    FColorRojo = static_cast<double>(static_cast<long double>(FColorRojo) + FPasosDeColor);
    if (FColorRojo > 255.0) FColorRojo = 255.0;
  }
  SetBarColorFromComponents();
}

void TFrmInfoP50Logic::SetBarColorFromComponents() {
  const auto red = static_cast<TBarColor>(std::trunc(FColorRojo));
  const auto green = static_cast<TBarColor>(std::trunc(FColorVerde));
  bar_.SetForeColor(red + green * 256u);
}

void TFrmInfoP50Logic::MensajeDelProceso(const String& Value) {
  if (FContinuarProceso) view_.ShowText(TInfoLabel::LMensajeDelProceso, Value);
}

void TFrmInfoP50Logic::UltimoError(const String& Value) {
  if (!Value.empty()) {
    view_.ShowText(TInfoLabel::LUltimoError,
                   view_.LabelCaption(TInfoLabel::LNombreItemActual) + u": " + Value);
    SetNumeroDeErroresProducidos(
        Wrapped(static_cast<std::int64_t>(FNumeroDeErroresProducidos) + 1));
  } else {
    view_.ShowText(TInfoLabel::LUltimoError, String());
  }
}

void TFrmInfoP50Logic::Finalizar() {
  MostrarTiempoTranscurrido();
  MensajeDelProceso(u"PROCESO TERMINADO");
  view_.SetButtonEnabled(TInfoButton::BSalir, true);
  view_.SetButtonEnabled(TInfoButton::BDetenerProceso, false);
  bar_.SetForeColor(kBarBlue);
}

void TFrmInfoP50Logic::SetItemActual(std::int32_t n) {
  FItemActual = n;
  view_.ShowText(TInfoLabel::LItemActual, IntToStr(n) + u" de " + IntToStr(FItemsAProcesar));
}

void TFrmInfoP50Logic::SetNumeroDeErroresProducidos(std::int32_t n) {
  FNumeroDeErroresProducidos = n;
  view_.ShowText(TInfoLabel::LNumeroDeErroresProducidos, IntToStr(n));
}

void TFrmInfoP50Logic::MostrarUltimoTiempo() {
  view_.ShowText(TInfoLabel::LUltimoTiempo, FormatItemTime(clock_.Now() - FHoraDeInicioItem));
}

void TFrmInfoP50Logic::MostrarTiempoTranscurrido() {
  const TDateTime elapsed = clock_.Now() - FHoraDeInicioTrans;
  view_.ShowText(TInfoLabel::LTiempoTranscurrido, FormatElapsed(elapsed, clock_.TimeSeparator()));
}

void TFrmInfoP50Logic::FormCreate() { FVerDetalles = true; }

void TFrmInfoP50Logic::BDetenerProcesoClick() {
  MensajeDelProceso(u"DETENIENDO EL PROCESO...");
  FContinuarProceso = false;
}

void TFrmInfoP50Logic::BSalirClick() { view_.HideWindow(); }

void TFrmInfoP50Logic::SBVerDetallesClick() {
  FVerDetalles = !FVerDetalles;
  view_.SetPanelVisible(TInfoPanel::PSuperior, FVerDetalles);
  view_.SetPanelVisible(TInfoPanel::PSuperior1, FVerDetalles);
  // Heights are read in the order the sums name them.
  if (FVerDetalles) {
    const int superior = view_.Height(TInfoHeight::PSuperior);
    const int window = view_.Height(TInfoHeight::Window);
    const int superior1 = view_.Height(TInfoHeight::PSuperior1);
    view_.SetHeight(TInfoHeight::Window, superior + window + superior1);
    const int tiempos = view_.Height(TInfoHeight::GBTiempos);
    view_.SetHeight(TInfoHeight::GBTiempos, tiempos + view_.Height(TInfoHeight::PSuperior1));
  } else {
    const int window = view_.Height(TInfoHeight::Window);
    const int superior = view_.Height(TInfoHeight::PSuperior);
    const int superior1 = view_.Height(TInfoHeight::PSuperior1);
    view_.SetHeight(TInfoHeight::Window, window - superior - superior1);
    const int tiempos = view_.Height(TInfoHeight::GBTiempos);
    view_.SetHeight(TInfoHeight::GBTiempos, tiempos - view_.Height(TInfoHeight::PSuperior1));
  }
}

}  // namespace varnel::progress
