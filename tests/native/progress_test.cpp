#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "platform/Clock.h"
#include "progress/ProgressBarModel.h"
#include "progress/ProgressLogic.h"
#include "progress/WholeNumber.h"
#include "runtime/Exceptions.h"

using namespace varnel;
using namespace varnel::progress;

namespace {

const char* Name(TInfoLabel label) {
  switch (label) {
    case TInfoLabel::LNombreItemActual:
      return "LNombreItemActual";
    case TInfoLabel::LItemActual:
      return "LItemActual";
    case TInfoLabel::LMensajeDelProceso:
      return "LMensajeDelProceso";
    case TInfoLabel::LUltimoError:
      return "LUltimoError";
    case TInfoLabel::LNumeroDeErroresProducidos:
      return "LNumeroDeErroresProducidos";
    case TInfoLabel::LUltimoTiempo:
      return "LUltimoTiempo";
    case TInfoLabel::LTiempoTranscurrido:
      return "LTiempoTranscurrido";
  }
  return "?";
}

const char* Name(TInfoHeight what) {
  switch (what) {
    case TInfoHeight::Window:
      return "Window";
    case TInfoHeight::PSuperior:
      return "PSuperior";
    case TInfoHeight::PSuperior1:
      return "PSuperior1";
    case TInfoHeight::GBTiempos:
      return "GBTiempos";
  }
  return "?";
}

// The window as the logic sees it: captions start as the layout's
// placeholders, and every call is written to a log in the order it came.
class RecordingView : public IInfoP50View {
 public:
  RecordingView() {
    for (TInfoLabel label :
         {TInfoLabel::LNombreItemActual, TInfoLabel::LItemActual, TInfoLabel::LMensajeDelProceso,
          TInfoLabel::LUltimoError, TInfoLabel::LNumeroDeErroresProducidos,
          TInfoLabel::LUltimoTiempo, TInfoLabel::LTiempoTranscurrido}) {
      captions[label] = FromUtf8(Name(label));
    }
  }

  void ShowText(TInfoLabel label, const String& text) override {
    captions[label] = text;
    shown[label] = text;
    log.push_back(std::string("show ") + Name(label) + "=" + ToUtf8(text));
  }
  void SetCaptionOnly(TInfoLabel label, const String& text) override {
    captions[label] = text;
    log.push_back(std::string("caption ") + Name(label) + "=" + ToUtf8(text));
  }
  String LabelCaption(TInfoLabel label) const override { return captions.at(label); }
  void SetButtonEnabled(TInfoButton button, bool enabled) override {
    (button == TInfoButton::BSalir ? salirEnabled : detenerEnabled) = enabled;
    log.push_back(std::string("enable ") +
                  (button == TInfoButton::BSalir ? "BSalir=" : "BDetenerProceso=") +
                  (enabled ? "1" : "0"));
  }
  void ShowWindowAndBringToFront() override {
    visible = true;
    log.push_back("front");
  }
  void HideWindow() override {
    visible = false;
    log.push_back("hide");
  }
  void ProcessMessages() override {
    ++pumps;
    log.push_back("pump");
    if (onPump) std::exchange(onPump, nullptr)();  // a click, handled once
  }
  void SetPanelVisible(TInfoPanel panel, bool on) override {
    (panel == TInfoPanel::PSuperior ? superiorVisible : superior1Visible) = on;
    log.push_back(
        std::string(panel == TInfoPanel::PSuperior ? "panel PSuperior=" : "panel PSuperior1=") +
        (on ? "1" : "0"));
  }
  int Height(TInfoHeight what) const override { return heights.at(what); }
  void SetHeight(TInfoHeight what, int height) override {
    heights[what] = height;
    log.push_back(std::string("height ") + Name(what) + "=" + std::to_string(height));
  }
  void RepaintBar() override {
    ++barRepaints;
    log.push_back("bar");
  }

  std::string Text(TInfoLabel label) const { return ToUtf8(captions.at(label)); }

  std::map<TInfoLabel, String> captions;
  std::map<TInfoLabel, String> shown;  // last text painted at once, per label
  std::map<TInfoHeight, int> heights{{TInfoHeight::Window, 208},
                                     {TInfoHeight::PSuperior, 89},
                                     {TInfoHeight::PSuperior1, 26},
                                     {TInfoHeight::GBTiempos, 60}};
  std::vector<std::string> log;
  bool salirEnabled = true;
  bool detenerEnabled = true;
  bool visible = false;
  bool superiorVisible = true;
  bool superior1Visible = true;
  int pumps = 0;
  int barRepaints = 0;
  std::function<void()> onPump;
};

class ManualClock : public IClock {
 public:
  TDateTime Now() override {
    ++reads;
    return now;
  }
  char16_t TimeSeparator() override { return separator; }
  void Advance(int hours, int minutes, int seconds, int msecs) {
    now += (((hours * 60.0 + minutes) * 60.0 + seconds) * 1000.0 + msecs) / kMSecsPerDay;
  }

  TDateTime now = EncodeDateTime(2024, 5, 1, 9, 0, 0, 0);
  char16_t separator = u':';
  int reads = 0;
};

struct Rgb {
  int red, green, blue;
  bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << c.red << ", " << c.green << ", " << c.blue << ")";
}

Rgb Split(TBarColor color) {
  return {static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
          static_cast<int>((color >> 16) & 0xFF)};
}

class ProgressWindow : public ::testing::Test {
 protected:
  ProgressWindow() { logic.FormCreate(); }

  // Runs a whole pass of `items` items; returns the bar colour after each
  // finished item, then the one after Finalizar.
  std::vector<Rgb> RunPass(int items) {
    std::vector<Rgb> colours;
    logic.Inicializar(items, true);
    for (int i = 0; i < items; ++i) {
      logic.NombreItemActual(u"item");
      logic.ItemActualTerminado();
      colours.push_back(Split(logic.Bar().ForeColor()));
    }
    logic.Finalizar();
    colours.push_back(Split(logic.Bar().ForeColor()));
    return colours;
  }

  std::vector<int> PercentagesOfPass(int items) {
    std::vector<int> percents{};
    logic.Inicializar(items, true);
    percents.push_back(logic.Bar().Percentage());
    for (int i = 0; i < items; ++i) {
      logic.NombreItemActual(u"item");
      logic.ItemActualTerminado();
      percents.push_back(logic.Bar().Percentage());
    }
    return percents;
  }

  RecordingView view;
  ManualClock clock;
  TFrmInfoP50Logic logic{view, clock};
};

constexpr Rgb kBlue{0, 0, 255};

// What of the bar's state an item can change, each change one repaint the
// bar model asks for (its own tests count them): the whole percent, the
// colour.
struct BarState {
  int percent;
  TBarColor colour;
};

BarState StateOf(const TProgressBarModel& bar) { return {bar.Percentage(), bar.ForeColor()}; }

unsigned RepaintsAskedFor(const BarState& before, const BarState& after) {
  return (before.percent != after.percent ? 1u : 0u) + (before.colour != after.colour ? 1u : 0u);
}

}  // namespace

// --- The bar -------------------------------------------------------------

TEST(ProgressBarModel, StartsAsTheLayoutHasIt) {
  const TProgressBarModel bar;
  EXPECT_EQ(bar.MinValue(), 0);
  EXPECT_EQ(bar.MaxValue(), 0);
  EXPECT_EQ(bar.Progress(), 0);
  EXPECT_EQ(bar.ForeColor(), BarColor(0, 255, 0));
  EXPECT_EQ(bar.BackColor(), BarColor(255, 255, 255));
  EXPECT_EQ(bar.Percentage(), 0);
}

TEST(ProgressBarModel, MaxValueRules) {
  int repaints = 0;
  TProgressBarModel bar([&] { ++repaints; });
  bar.SetMaxValue(0);  // same value
  EXPECT_EQ(repaints, 0);

  try {
    bar.SetMaxValue(-1);
    FAIL() << "a maximum below the minimum was taken";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Value must be between 1 and 2147483647");
  }
  EXPECT_EQ(bar.MaxValue(), 0);
  EXPECT_EQ(repaints, 0);

  bar.SetMaxValue(10);
  EXPECT_EQ(repaints, 1);
  bar.SetProgress(8);
  const int before = repaints;
  bar.SetMaxValue(5);  // lowers the position with it
  EXPECT_EQ(bar.Progress(), 5);
  EXPECT_EQ(bar.Percentage(), 100);
  EXPECT_EQ(repaints, before + 1);
  bar.SetMaxValue(20);  // a larger maximum leaves the position
  EXPECT_EQ(bar.Progress(), 5);
  EXPECT_EQ(bar.Percentage(), 25);

  // The message names the minimum plus one.
  bar.SetMinValue(4);
  try {
    bar.SetMaxValue(3);
    FAIL() << "a maximum below the minimum was taken";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Value must be between 5 and 2147483647");
  }
  EXPECT_NO_THROW(bar.SetMaxValue(4));  // equal to the minimum is allowed
  EXPECT_EQ(bar.Percentage(), 0);       // empty range
}

TEST(ProgressBarModel, MinValueMirrorsTheRule) {
  TProgressBarModel bar;
  bar.SetMaxValue(10);
  bar.SetProgress(2);
  try {
    bar.SetMinValue(11);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Value must be between -2147483648 and 9");
  }
  bar.SetMinValue(5);
  EXPECT_EQ(bar.Progress(), 5);
  bar.SetProgress(7);  // 2 of 5 past the minimum
  EXPECT_EQ(bar.Percentage(), 40);
}

TEST(ProgressBarModel, ProgressIsClampedAndRepaintsOnWholePercentChanges) {
  int repaints = 0;
  int total = 0;  // since the model was made
  TProgressBarModel bar([&] {
    ++repaints;
    ++total;
  });
  bar.SetMaxValue(1000);
  repaints = 0;

  bar.SetProgress(-5);  // clamps to 0: the same value, nothing happens
  EXPECT_EQ(bar.Progress(), 0);
  EXPECT_EQ(repaints, 0);
  bar.SetProgress(9);  // 0.9 %: stored, same whole percent, no repaint
  EXPECT_EQ(bar.Progress(), 9);
  EXPECT_EQ(repaints, 0);
  bar.SetProgress(10);  // 1 %
  EXPECT_EQ(repaints, 1);
  bar.SetProgress(5000);  // clamps to the maximum
  EXPECT_EQ(bar.Progress(), 1000);
  EXPECT_EQ(bar.Percentage(), 100);
  EXPECT_EQ(repaints, 2);
  bar.SetProgress(1001);
  EXPECT_EQ(repaints, 2);
  EXPECT_EQ(total, 3);  // the maximum's repaint counts too
}

TEST(ProgressBarModel, ColoursRepaintOnlyWhenTheyChange) {
  int repaints = 0;
  TProgressBarModel bar([&] { ++repaints; });
  bar.SetForeColor(kBarLime);
  bar.SetBackColor(kBarWhite);
  EXPECT_EQ(repaints, 0);
  bar.SetForeColor(kBarBlue);
  EXPECT_EQ(bar.ForeColor(), 0x00FF0000u);
  bar.SetBackColor(BarColor(1, 2, 3));
  EXPECT_EQ(bar.BackColor(), 0x00030201u);
  EXPECT_EQ(repaints, 2);
}

TEST(ProgressBarModel, PercentageAndBarWidthTruncate) {
  TProgressBarModel bar;
  bar.SetMaxValue(3);
  bar.SetProgress(2);
  EXPECT_EQ(bar.Percentage(), 66);
  EXPECT_EQ(bar.BarWidth(493), 325);  // 493 * 66 / 100 = 325.38
  EXPECT_EQ(bar.BarWidth(100), 66);
  bar.SetProgress(0);
  EXPECT_EQ(bar.BarWidth(493), 0);
  bar.SetProgress(3);
  EXPECT_EQ(bar.BarWidth(493), 493);

  // The product needs more than 32 bits.
  bar.SetMaxValue(2147483647);
  bar.SetProgress(2147483646);
  EXPECT_EQ(bar.Percentage(), 99);
  bar.SetMinValue(-2147483647 - 1);
  EXPECT_EQ(bar.Percentage(), 99);
}

TEST(ProgressBarModel, LongPassRepaintsOncePerPercent) {
  unsigned repaints = 0;
  TProgressBarModel bar([&] { ++repaints; });
  bar.SetMaxValue(100000);
  const auto before = repaints;
  for (int i = 1; i <= 100000; ++i) bar.SetProgress(i);
  EXPECT_EQ(repaints - before, 100u);
}

// --- Colour ramp and percentages -------------------------------------------

TEST_F(ProgressWindow, ColourRampForOneTwoThreeAndFourItems) {
  EXPECT_EQ(RunPass(1), (std::vector<Rgb>{{0, 0, 0}, kBlue}));
  EXPECT_EQ(RunPass(2), (std::vector<Rgb>{{255, 255, 0}, {255, 0, 0}, kBlue}));
  EXPECT_EQ(RunPass(3), (std::vector<Rgb>{{170, 255, 0}, {170, 85, 0}, {170, 0, 0}, kBlue}));
  // The second of four sits exactly at the half and still raises red.
  EXPECT_EQ(RunPass(4),
            (std::vector<Rgb>{{127, 255, 0}, {255, 255, 0}, {255, 127, 0}, {255, 0, 0}, kBlue}));
}

TEST_F(ProgressWindow, ColourRampForSevenItemsStopsShortOfFullRed) {
  EXPECT_EQ(RunPass(7), (std::vector<Rgb>{{72, 255, 0},
                                          {145, 255, 0},
                                          {218, 255, 0},
                                          {218, 182, 0},
                                          {218, 109, 0},
                                          {218, 36, 0},
                                          {218, 0, 0},
                                          kBlue}));
}

TEST_F(ProgressWindow, EveryPassStartsLime) {
  RunPass(3);
  logic.Inicializar(5, false);
  EXPECT_EQ(Split(logic.Bar().ForeColor()), (Rgb{0, 255, 0}));
  EXPECT_EQ(logic.Bar().Progress(), 0);
  EXPECT_EQ(logic.Bar().MaxValue(), 5);
}

TEST_F(ProgressWindow, PercentagesDropTheFraction) {
  EXPECT_EQ(PercentagesOfPass(3), (std::vector<int>{0, 33, 66, 100}));
  EXPECT_EQ(PercentagesOfPass(7), (std::vector<int>{0, 14, 28, 42, 57, 71, 85, 100}));
}

TEST_F(ProgressWindow, ExtraItemsStayAtTheEnd) {
  logic.Inicializar(2, true);
  for (int i = 0; i < 5; ++i) {
    logic.NombreItemActual(u"item");
    logic.ItemActualTerminado();
  }
  EXPECT_EQ(logic.Bar().Progress(), 2);
  EXPECT_EQ(logic.Bar().Percentage(), 100);
  EXPECT_EQ(Split(logic.Bar().ForeColor()), (Rgb{255, 0, 0}));
  EXPECT_EQ(view.Text(TInfoLabel::LItemActual), "5 de 2");
}

TEST_F(ProgressWindow, FinishingAtAGivenPositionIsClampedByTheBar) {
  logic.Inicializar(10, true);
  logic.EmpleadoActualTerminado(7);
  EXPECT_EQ(logic.Bar().Progress(), 7);
  EXPECT_EQ(Split(logic.Bar().ForeColor()), (Rgb{0, 204, 0}));  // 7/10 > 0.5: green falls by 51
  logic.EmpleadoActualTerminado(-3);
  EXPECT_EQ(logic.Bar().Progress(), 0);
  logic.EmpleadoActualTerminado(99);
  EXPECT_EQ(logic.Bar().Progress(), 10);
  logic.EmpleadoActualTerminado();  // the plain form advances by one
  EXPECT_EQ(logic.Bar().Progress(), 10);
  EXPECT_EQ(Split(logic.Bar().ForeColor()), (Rgb{51, 102, 0}));
}

TEST_F(ProgressWindow, AnItemThatMovesAndRecoloursTheBarPaintsItOnce) {
  logic.Inicializar(4, true);
  const int before = view.barRepaints;
  const BarState state = StateOf(logic.Bar());
  logic.NombreItemActual(u"uno");
  logic.ItemActualTerminado();  // 25 % and one step of red
  EXPECT_EQ(RepaintsAskedFor(state, StateOf(logic.Bar())), 2u);
  EXPECT_EQ(view.barRepaints - before, 1);
}

TEST_F(ProgressWindow, BarRepaintsStayFewOnALongPass) {
  logic.Inicializar(100000, true);
  std::uint64_t repaints = 0;  // asked for by the bar, from here on
  const int screenFromInicializar = view.barRepaints;
  std::uint64_t colourChanges = 0;
  int itemsThatChangedTheBar = 0;
  TBarColor colour = logic.Bar().ForeColor();
  int percent = logic.Bar().Percentage();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 100000; ++i) {
    const BarState state = StateOf(logic.Bar());
    logic.NombreItemActual(u"item");
    logic.ItemActualTerminado();
    repaints += RepaintsAskedFor(state, StateOf(logic.Bar()));
    const bool recoloured = logic.Bar().ForeColor() != colour;
    if (recoloured) ++colourChanges;
    if (recoloured || logic.Bar().Percentage() != percent) ++itemsThatChangedTheBar;
    colour = logic.Bar().ForeColor();
    percent = logic.Bar().Percentage();
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;
  // One repaint per whole percent, one per change of the truncated red or
  // green component (at most 255 up and 255 down), none otherwise.
  EXPECT_LE(colourChanges, 510u);
  EXPECT_GE(colourChanges, 500u);
  EXPECT_EQ(repaints, 100u + colourChanges);
  EXPECT_EQ(Split(colour), (Rgb{254, 0, 0}));  // 50000 steps of 0.0051 sum to a hair under 255
  // On screen an item that moved the bar and turned its colour is one paint.
  EXPECT_EQ(view.barRepaints - screenFromInicializar, itemsThatChangedTheBar);
  RecordProperty("repaints", static_cast<int>(repaints));
  RecordProperty(
      "microseconds",
      static_cast<int>(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count()));
}

// --- Texts, counters and order of effects -----------------------------------

TEST_F(ProgressWindow, InicializarOnANewWindowInOrder) {
  logic.Inicializar(10, true);
  const std::vector<std::string> expected{
      "show LNombreItemActual=",
      "show LItemActual=1 de 0",  // the old counter plus one, for a moment
      "pump",
      "show LItemActual=0 de 10",
      "show LNumeroDeErroresProducidos=0",
      "show LUltimoError=",
      "caption LUltimoTiempo=00m:00s:00ms",
      "caption LTiempoTranscurrido=0h:00m:00s",
      "enable BSalir=0",
      "enable BDetenerProceso=1",
      "show LMensajeDelProceso=",
      "bar",  // the new maximum; Progress 0 and lime are no change
      "front",
      "pump",
  };
  EXPECT_EQ(view.log, expected);
  EXPECT_TRUE(logic.ContinuarProceso());
  EXPECT_TRUE(view.visible);
  EXPECT_EQ(clock.reads, 2);  // job start and item start
}

TEST_F(ProgressWindow, CounterCountsItems) {
  logic.Inicializar(10, true);
  EXPECT_EQ(view.Text(TInfoLabel::LItemActual), "0 de 10");
  view.log.clear();
  logic.NombreItemActual(u"Servidor1 - Servidor de prueba");
  EXPECT_EQ(view.Text(TInfoLabel::LItemActual), "1 de 10");
  EXPECT_EQ(view.Text(TInfoLabel::LNombreItemActual), "Servidor1 - Servidor de prueba");
  EXPECT_EQ(view.log,
            (std::vector<std::string>{"show LNombreItemActual=Servidor1 - Servidor de prueba",
                                      "show LItemActual=1 de 10", "pump"}));
  logic.NombreItemActual(u"otro", 7);
  EXPECT_EQ(view.Text(TInfoLabel::LItemActual), "7 de 10");
  logic.NombreItemActual(u"siguiente");  // counts on from the given number
  EXPECT_EQ(view.Text(TInfoLabel::LItemActual), "8 de 10");
}

TEST_F(ProgressWindow, EmpleadoActualNamesTheItemByTheRoundedNumber) {
  logic.Inicializar(3, true);
  logic.EmpleadoActual(79123456.5L, u"Ana Pérez");
  EXPECT_EQ(view.captions[TInfoLabel::LNombreItemActual], u"79123457   Ana Pérez");
  EXPECT_EQ(view.Text(TInfoLabel::LItemActual), "1 de 3");
  logic.EmpleadoActual(-2.5L, u"", 3);
  EXPECT_EQ(view.Text(TInfoLabel::LNombreItemActual), "-3   ");
  EXPECT_EQ(view.Text(TInfoLabel::LItemActual), "3 de 3");
}

TEST(FormatWholeNumber, RoundsHalfAwayFromZeroWithoutGrouping) {
  EXPECT_EQ(FormatWholeNumber(0.0L), u"0");
  EXPECT_EQ(FormatWholeNumber(0.49L), u"0");
  EXPECT_EQ(FormatWholeNumber(0.5L), u"1");
  EXPECT_EQ(FormatWholeNumber(1234567.4L), u"1234567");
  EXPECT_EQ(FormatWholeNumber(-0.4L), u"0");
  EXPECT_EQ(FormatWholeNumber(-7.5L), u"-8");
  EXPECT_EQ(FormatWholeNumber(123456789012345678.0L), u"123456789012345678");
  EXPECT_EQ(FormatWholeNumber(1e20L), u"100000000000000000000");
}

TEST_F(ProgressWindow, TimesOfTheItemAndOfTheJob) {
  logic.Inicializar(3, true);
  logic.NombreItemActual(u"a");
  clock.Advance(1, 2, 3, 4);
  logic.ItemActualTerminado();
  EXPECT_EQ(view.shown[TInfoLabel::LUltimoTiempo], u"2m:3s:4ms");
  EXPECT_EQ(view.shown[TInfoLabel::LTiempoTranscurrido], u"1h:02m:03s");

  logic.NombreItemActual(u"b");  // a new item start; the job start stays
  clock.Advance(23, 58, 2, 0);
  clock.separator = u'.';
  logic.ItemActualTerminado();
  EXPECT_EQ(view.shown[TInfoLabel::LUltimoTiempo], u"58m:2s:0ms");
  EXPECT_EQ(view.shown[TInfoLabel::LTiempoTranscurrido], u"1h.00m.05s");  // 25 h 0 min 5 s

  clock.Advance(0, 0, 1, 0);
  logic.Finalizar();
  EXPECT_EQ(view.shown[TInfoLabel::LTiempoTranscurrido], u"1h.00m.06s");
}

TEST_F(ProgressWindow, ResetTakesANewJobStartAndCarryingOverKeepsIt) {
  logic.Inicializar(2, true);
  clock.Advance(0, 0, 30, 0);  // the reset leaves the job start to the first item
  logic.NombreItemActual(u"a");
  clock.Advance(0, 10, 0, 0);
  logic.ItemActualTerminado();
  EXPECT_EQ(view.shown[TInfoLabel::LTiempoTranscurrido], u"0h:10m:00s");

  logic.Inicializar(2, false);  // second pass: the job goes on
  logic.NombreItemActual(u"b");
  clock.Advance(0, 0, 1, 0);
  logic.ItemActualTerminado();
  EXPECT_EQ(view.shown[TInfoLabel::LTiempoTranscurrido], u"0h:10m:01s");
  EXPECT_EQ(view.shown[TInfoLabel::LUltimoTiempo], u"0m:1s:0ms");

  logic.Inicializar(2, true);  // a new job
  clock.Advance(0, 0, 5, 0);
  logic.NombreItemActual(u"c");
  clock.Advance(0, 0, 3, 0);
  logic.ItemActualTerminado();
  EXPECT_EQ(view.shown[TInfoLabel::LTiempoTranscurrido], u"0h:00m:03s");
}

TEST_F(ProgressWindow, NewWindowIgnoresMessagesUntilAReset) {
  EXPECT_FALSE(logic.ContinuarProceso());
  logic.MensajeDelProceso(u"Registrando Servidores DCOM...");
  EXPECT_EQ(view.Text(TInfoLabel::LMensajeDelProceso), "LMensajeDelProceso");
  logic.Inicializar(4, true);
  logic.MensajeDelProceso(u"Registrando Servidores DCOM...");
  EXPECT_EQ(view.Text(TInfoLabel::LMensajeDelProceso), "Registrando Servidores DCOM...");
  logic.Finalizar();
  EXPECT_EQ(view.Text(TInfoLabel::LMensajeDelProceso), "PROCESO TERMINADO");
  EXPECT_TRUE(view.salirEnabled);
  EXPECT_FALSE(view.detenerEnabled);
}

TEST_F(ProgressWindow, StopRequestKeepsItsMessageUntilTheNextReset) {
  logic.Inicializar(4, true);
  logic.BDetenerProcesoClick();
  EXPECT_FALSE(logic.ContinuarProceso());
  EXPECT_EQ(view.Text(TInfoLabel::LMensajeDelProceso), "DETENIENDO EL PROCESO...");
  EXPECT_TRUE(view.detenerEnabled);  // the button stays enabled

  view.log.clear();
  logic.BDetenerProcesoClick();  // a second click changes nothing
  logic.MensajeDelProceso(u"Asignando permisos DCOM...");
  logic.Finalizar();
  EXPECT_EQ(view.Text(TInfoLabel::LMensajeDelProceso), "DETENIENDO EL PROCESO...");
  for (const auto& entry : view.log) EXPECT_EQ(entry.find("LMensajeDelProceso"), std::string::npos);

  logic.Inicializar(4, false);  // carrying over keeps the stop request
  EXPECT_FALSE(logic.ContinuarProceso());
  EXPECT_EQ(view.Text(TInfoLabel::LMensajeDelProceso), "DETENIENDO EL PROCESO...");

  logic.Inicializar(4, true);
  EXPECT_TRUE(logic.ContinuarProceso());
  EXPECT_EQ(view.Text(TInfoLabel::LMensajeDelProceso), "");
}

TEST_F(ProgressWindow, AStopPressedWhileAResetPumpsIsKept) {
  logic.Inicializar(4, true);
  view.onPump = [&] { logic.BDetenerProcesoClick(); };
  logic.Inicializar(4, true);
  EXPECT_FALSE(logic.ContinuarProceso());
  EXPECT_EQ(view.Text(TInfoLabel::LMensajeDelProceso), "DETENIENDO EL PROCESO...");
}

TEST_F(ProgressWindow, StopFlagIsAPlainProperty) {
  logic.SetContinuarProceso(true);
  logic.MensajeDelProceso(u"uno");
  EXPECT_EQ(view.Text(TInfoLabel::LMensajeDelProceso), "uno");
  logic.SetContinuarProceso(false);
  EXPECT_FALSE(logic.ContinuarProceso());
}

TEST_F(ProgressWindow, CarryingOverOnANewWindowLeavesThePlaceholders) {
  logic.Inicializar(5, false);
  EXPECT_EQ(view.Text(TInfoLabel::LUltimoError), "LUltimoError");
  EXPECT_EQ(view.Text(TInfoLabel::LNumeroDeErroresProducidos), "LNumeroDeErroresProducidos");
  EXPECT_EQ(view.Text(TInfoLabel::LUltimoTiempo), "LUltimoTiempo");
  EXPECT_EQ(view.Text(TInfoLabel::LTiempoTranscurrido), "LTiempoTranscurrido");
  EXPECT_EQ(view.Text(TInfoLabel::LMensajeDelProceso), "LMensajeDelProceso");
  EXPECT_EQ(view.Text(TInfoLabel::LItemActual), "0 de 5");
  EXPECT_TRUE(view.salirEnabled);
  EXPECT_TRUE(view.detenerEnabled);
  for (const auto& entry : view.log) EXPECT_EQ(entry.rfind("enable", 0), std::string::npos);
  EXPECT_TRUE(view.visible);
}

TEST_F(ProgressWindow, ErrorLineAndCounter) {
  logic.Inicializar(3, true);
  logic.NombreItemActual(u"Servidor2 - Contabilidad");
  logic.UltimoError(u"Acceso denegado");
  EXPECT_EQ(view.Text(TInfoLabel::LUltimoError), "Servidor2 - Contabilidad: Acceso denegado");
  EXPECT_EQ(view.Text(TInfoLabel::LNumeroDeErroresProducidos), "1");
  logic.UltimoError(u"");
  EXPECT_EQ(view.shown[TInfoLabel::LUltimoError], u"");
  EXPECT_EQ(view.Text(TInfoLabel::LNumeroDeErroresProducidos), "1");
  logic.UltimoError(u"otra");
  EXPECT_EQ(view.Text(TInfoLabel::LNumeroDeErroresProducidos), "2");

  logic.Inicializar(3, false);  // carried over
  EXPECT_EQ(view.Text(TInfoLabel::LNumeroDeErroresProducidos), "2");
  EXPECT_EQ(view.Text(TInfoLabel::LUltimoError), "Servidor2 - Contabilidad: otra");
  logic.UltimoError(u"x");
  EXPECT_EQ(view.Text(TInfoLabel::LNumeroDeErroresProducidos), "3");
  EXPECT_EQ(view.Text(TInfoLabel::LUltimoError), ": x");  // the item name was cleared

  logic.Inicializar(3, true);
  EXPECT_EQ(view.Text(TInfoLabel::LNumeroDeErroresProducidos), "0");
  EXPECT_EQ(view.Text(TInfoLabel::LUltimoError), "");
}

TEST_F(ProgressWindow, SalirOnlyHides) {
  logic.Inicializar(2, true);
  logic.BSalirClick();
  EXPECT_FALSE(view.visible);
  logic.NombreItemActual(u"mientras tanto");  // updates go on while hidden
  EXPECT_EQ(view.Text(TInfoLabel::LItemActual), "1 de 2");
  logic.Inicializar(2, false);
  EXPECT_TRUE(view.visible);
}

TEST_F(ProgressWindow, ZeroItems) {
  ASSERT_NO_THROW(logic.Inicializar(0, true));
  EXPECT_EQ(view.Text(TInfoLabel::LItemActual), "0 de 0");
  EXPECT_EQ(logic.Bar().Percentage(), 0);
  EXPECT_TRUE(view.visible);
  EXPECT_EQ(Split(logic.Bar().ForeColor()), (Rgb{0, 255, 0}));
  // Nothing to finish in an empty pass, but a stray item must not break the
  // ramp either: 0 of 0 counts as the start.
  logic.ItemActualTerminado();
  EXPECT_EQ(Split(logic.Bar().ForeColor()), (Rgb{0, 255, 0}));
  logic.Finalizar();
  EXPECT_EQ(Split(logic.Bar().ForeColor()), kBlue);
  EXPECT_EQ(view.Text(TInfoLabel::LMensajeDelProceso), "PROCESO TERMINADO");
}

TEST_F(ProgressWindow, NegativeCountIsRefusedBeforeTheWindowShows) {
  try {
    logic.Inicializar(-4, true);
    FAIL() << "a negative count was taken";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Value must be between 1 and 2147483647");
  }
  // Steps up to the process message have happened; the window stays hidden.
  EXPECT_EQ(view.Text(TInfoLabel::LItemActual), "0 de -4");
  EXPECT_EQ(view.Text(TInfoLabel::LNumeroDeErroresProducidos), "0");
  EXPECT_TRUE(logic.ContinuarProceso());
  EXPECT_EQ(view.log.back(), "show LMensajeDelProceso=");
  EXPECT_FALSE(view.visible);
  EXPECT_EQ(view.pumps, 1);  // only the item start's
  EXPECT_EQ(logic.Bar().MaxValue(), 0);
}

TEST_F(ProgressWindow, FoldingAndUnfoldingRestoresTheHeights) {
  EXPECT_TRUE(logic.VerDetalles());
  logic.SBVerDetallesClick();
  EXPECT_FALSE(logic.VerDetalles());
  EXPECT_FALSE(view.superiorVisible);
  EXPECT_FALSE(view.superior1Visible);
  EXPECT_EQ(view.heights[TInfoHeight::Window], 208 - 115);
  EXPECT_EQ(view.heights[TInfoHeight::GBTiempos], 60 - 26);
  EXPECT_EQ(view.heights[TInfoHeight::PSuperior], 89);

  logic.SBVerDetallesClick();
  EXPECT_TRUE(logic.VerDetalles());
  EXPECT_TRUE(view.superiorVisible);
  EXPECT_TRUE(view.superior1Visible);
  EXPECT_EQ(view.heights[TInfoHeight::Window], 208);
  EXPECT_EQ(view.heights[TInfoHeight::GBTiempos], 60);

  // Panels first, then the window, then the group box.
  const std::vector<std::string> tail(view.log.end() - 4, view.log.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"panel PSuperior=1", "panel PSuperior1=1",
                                            "height Window=208", "height GBTiempos=60"}));
}

TEST_F(ProgressWindow, FoldingIsLeftAloneByInicializar) {
  logic.SBVerDetallesClick();
  logic.Inicializar(3, true);
  EXPECT_FALSE(logic.VerDetalles());
  EXPECT_EQ(view.heights[TInfoHeight::Window], 93);
}
