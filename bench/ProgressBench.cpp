// One pass of N items through the real progress window, as a run feeds it:
// NombreItemActual then ItemActualTerminado for each item. Reports items per
// second and how many repaints the bar asked for: one for each change of its
// whole percent or of its colour.

#include <cstdio>

#include "bench/Timing.h"
#include "forms/win32/Host.h"
#include "platform/win32/ClockWin32.h"
#include "platform/win32/Errors.h"
#include "platform/win32/Unique.h"
#include "progress/win32/UINFOP50.h"

namespace varnel::bench {

namespace {

// Just enough application for one window: a hidden top-level window, a
// PeekMessage pump, and exceptions counted instead of shown.
class BenchHost final : public forms::IFormHost, public IMessagePump {
 public:
  BenchHost()
      : window_(::CreateWindowExW(0, L"STATIC", L"varnel-bench", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, ::GetModuleHandleW(nullptr), nullptr)) {
    if (!window_) win32::RaiseLastOSError();
  }

  void HandleException() noexcept override { ++exceptions_; }
  HWND AppWindow() const override { return window_.get(); }
  IMessagePump& Pump() override { return *this; }
  const String& Title() const override { return title_; }
  void Terminate() override { terminated_ = true; }

  void ProcessMessages() override {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        terminated_ = true;
        continue;
      }
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  bool Terminated() const override { return terminated_; }

  int Exceptions() const { return exceptions_; }

 private:
  win32::UniqueWindow window_;
  String title_ = u"varnel-bench";
  bool terminated_ = false;
  int exceptions_ = 0;
};

// The repaints the bar's model asks for when an item moves it from `before`.
unsigned RepaintsAskedFor(int percentBefore, progress::TBarColor colourBefore,
                          const progress::TProgressBarModel& bar) {
  return (bar.Percentage() != percentBefore ? 1u : 0u) +
         (bar.ForeColor() != colourBefore ? 1u : 0u);
}

}  // namespace

int RunProgress(const Arguments& args) {
  const int items = IntOption(args, u"--items", 100000);
  BenchHost host;
  win32::TLocalClock clock;
  progress::TFrmInfoP50 window(host, clock, nullptr);

  Stopwatch stopwatch;
  window.Inicializar(items, true);
  std::uint64_t repaints = 0;
  for (int i = 1; i <= items; ++i) {
    const int percent = window.Bar().Percentage();
    const progress::TBarColor colour = window.Bar().ForeColor();
    window.NombreItemActual(u"Servidor " + IntToStr(i));
    window.ItemActualTerminado();
    repaints += RepaintsAskedFor(percent, colour, window.Bar());
  }
  window.Finalizar();
  const double ms = stopwatch.ElapsedMs();
  std::printf("items=%d ms=%.1f items_per_s=%.0f repaints=%llu exceptions=%d\n", items, ms,
              static_cast<double>(items) * 1000.0 / ms, static_cast<unsigned long long>(repaints),
              host.Exceptions());
  return host.Exceptions() == 0 ? 0 : 1;
}

}  // namespace varnel::bench
