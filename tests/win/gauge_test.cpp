#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/win32/ClockWin32.h"
#include "platform/win32/Unique.h"
#include "progress/ProgressBarModel.h"
#include "progress/win32/GaugeBar.h"
#include "runtime/Exceptions.h"
#include "support/TestHost.h"

using namespace varnel;
using namespace varnel::progress;
using namespace varnel::win32;

namespace {

TBarColor Inverse(TBarColor c) { return ~c & 0x00FFFFFFu; }

// The pixels of a window's client area, as 0x00BBGGRR.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<TBarColor> pixels;

  TBarColor At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

// Reads a 32-bit top-down DIB section into colour values.
Picture ReadDib(const void* bits, int width, int height) {
  Picture picture{width, height, {}};
  const auto* raw = static_cast<const std::uint32_t*>(bits);
  picture.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
    const std::uint32_t bgra = raw[i];  // memory order B, G, R, X
    picture.pixels[i] = ((bgra >> 16) & 0xFF) | (bgra & 0xFF00) | ((bgra & 0xFF) << 16);
  }
  return picture;
}

struct Dib {
  UniqueMemDC dc;
  UniqueBitmap bitmap;
  HGDIOBJ old = nullptr;
  void* bits = nullptr;

  Dib(int width, int height) : dc(::CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap.reset(::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    old = ::SelectObject(dc.get(), bitmap.get());
    // Something the control must paint over.
    ::PatBlt(dc.get(), 0, 0, width, height, BLACKNESS);
  }
  ~Dib() { ::SelectObject(dc.get(), old); }
  Dib(const Dib&) = delete;
  Dib& operator=(const Dib&) = delete;
};

SIZE ClientSize(HWND window) {
  RECT r{};
  ::GetClientRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

Picture PrintClient(HWND window) {
  const SIZE size = ClientSize(window);
  Dib dib(size.cx, size.cy);
  ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.dc.get()), PRF_CLIENT);
  ::GdiFlush();
  return ReadDib(dib.bits, size.cx, size.cy);
}

// What is on screen now, read back through the window's own DC.
Picture ScreenCapture(HWND window) {
  const SIZE size = ClientSize(window);
  Dib dib(size.cx, size.cy);
  const HDC screen = ::GetDC(window);
  ::BitBlt(dib.dc.get(), 0, 0, size.cx, size.cy, screen, 0, 0, SRCCOPY);
  ::ReleaseDC(window, screen);
  ::GdiFlush();
  return ReadDib(dib.bits, size.cx, size.cy);
}

struct TextBox {
  int count = 0;
  int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
};

// Checks that every pixel is the bar colour left of the bar's end and the
// background right of it, or the inverse of the one it lies on, and
// returns where the inverted ones are.
TextBox CheckPicture(const Picture& p, int barWidth, TBarColor fore, TBarColor back) {
  TextBox box;
  int wrong = 0;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      const TBarColor under = x < barWidth ? fore : back;
      const TBarColor c = p.At(x, y);
      if (c == Inverse(under)) {
        ++box.count;
        box.left = std::min(box.left, x);
        box.right = std::max(box.right, x);
        box.top = std::min(box.top, y);
        box.bottom = std::max(box.bottom, y);
      } else if (c != under && wrong++ < 5) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << c << ", expected "
                      << under << " or its inverse";
      }
    }
  }
  EXPECT_EQ(wrong, 0);
  return box;
}

void ExpectCentred(const TextBox& box, int width, int height) {
  ASSERT_GT(box.count, 8) << "no text was drawn";
  // Glyphs have side bearings, so the ink box sits within a pixel or two
  // of the middle.
  EXPECT_NEAR((box.left + box.right) / 2.0, (width - 1) / 2.0, 2.5);
  EXPECT_NEAR((box.top + box.bottom) / 2.0, (height - 1) / 2.0, 2.5);
}

// A bar over a model of the test's own that, as the progress window's logic
// does, sends the model's repaints to the control at once and counts them.
struct ShownBar {
  ShownBar(forms::IFormHost& app, HWND parent, const RECT& bounds)
      : control(app, parent, bounds, model) {}

  int repaints = 0;
  TProgressBarModel model{[this] {
    ++repaints;
    control.RepaintNow();
  }};
  TGaugeBar control;  // after the model it paints
};

class GaugeBarTest : public ::testing::Test {
 protected:
  GaugeBarTest()
      : host(::CreateWindowExW(0, L"STATIC", L"Información del Proceso",
                               WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 600, 200, nullptr,
                               nullptr, ::GetModuleHandleW(nullptr), nullptr)) {}

  testing_support::TestHost app;
  UniqueWindow host;
};

}  // namespace

TEST_F(GaugeBarTest, LayoutSizedBarPaintsBarBackgroundAndInvertedText) {
  ASSERT_TRUE(host);
  auto bar = std::make_unique<ShownBar>(app, host.get(), RECT{4, 2, 497, 13});
  const SIZE size = ClientSize(bar->control.Handle());
  EXPECT_EQ(size.cx, 493);  // no border eats into the client area
  EXPECT_EQ(size.cy, 11);

  bar->model.SetMaxValue(3);
  bar->model.SetProgress(2);  // 66 %
  const Picture p = PrintClient(bar->control.Handle());
  const TextBox box = CheckPicture(p, 325, kBarLime, kBarWhite);
  ExpectCentred(box, 493, 11);
  // "66%" sits on the bar: its pixels are magenta.
  EXPECT_LT(box.right, 325);
  EXPECT_EQ(std::count(p.pixels.begin(), p.pixels.end(), BarColor(255, 0, 255)), box.count);

  bar->model.SetProgress(1);  // 33 %: "33%" on the white part, in black
  const Picture third = PrintClient(bar->control.Handle());
  const TextBox thirdBox = CheckPicture(third, 162, kBarLime, kBarWhite);
  ExpectCentred(thirdBox, 493, 11);
  EXPECT_GT(thirdBox.left, 162);
  EXPECT_EQ(std::count(third.pixels.begin(), third.pixels.end(), BarColor(0, 0, 0)),
            thirdBox.count);
}

TEST_F(GaugeBarTest, TextOverBothPartsInvertsEachColour) {
  auto bar = std::make_unique<ShownBar>(app, host.get(), RECT{10, 10, 210, 50});
  bar->model.SetMaxValue(2);
  bar->model.SetProgress(1);  // 50 %: the bar ends under the text
  const Picture p = PrintClient(bar->control.Handle());
  const TextBox box = CheckPicture(p, 100, kBarLime, kBarWhite);
  ExpectCentred(box, 200, 40);
  int magenta = 0;
  int black = 0;
  for (TBarColor c : p.pixels) {
    magenta += c == BarColor(255, 0, 255);
    black += c == BarColor(0, 0, 0);
  }
  EXPECT_GT(magenta, 0);
  EXPECT_GT(black, 0);
  EXPECT_EQ(magenta + black, box.count);
}

TEST_F(GaugeBarTest, ComplementaryColoursOnAFullBar) {
  auto bar = std::make_unique<ShownBar>(app, host.get(), RECT{10, 10, 210, 50});
  bar->model.SetMaxValue(1);
  bar->model.SetProgress(1);
  struct Case {
    TBarColor fore, text;
  } cases[] = {
      {BarColor(0, 255, 0), BarColor(255, 0, 255)},    // lime: magenta
      {BarColor(255, 255, 0), BarColor(0, 0, 255)},    // yellow: blue
      {BarColor(255, 0, 0), BarColor(0, 255, 255)},    // red: cyan
      {BarColor(0, 0, 255), BarColor(255, 255, 0)},    // blue: yellow
      {BarColor(170, 85, 0), BarColor(85, 170, 255)},  // a ramp colour
  };
  for (const Case& c : cases) {
    bar->model.SetForeColor(c.fore);
    const Picture p = PrintClient(bar->control.Handle());
    SCOPED_TRACE(c.fore);
    const TextBox box = CheckPicture(p, 200, c.fore, kBarWhite);
    ExpectCentred(box, 200, 40);
    EXPECT_EQ(std::count(p.pixels.begin(), p.pixels.end(), c.text), box.count);
  }
}

TEST_F(GaugeBarTest, EmptyBarShowsZeroOnTheBackground) {
  auto bar = std::make_unique<ShownBar>(app, host.get(), RECT{0, 0, 200, 40});
  bar->model.SetBackColor(BarColor(0, 0, 128));
  const TextBox box =
      CheckPicture(PrintClient(bar->control.Handle()), 0, kBarLime, BarColor(0, 0, 128));
  ExpectCentred(box, 200, 40);
}

TEST_F(GaugeBarTest, ModelChangesReachTheScreenWithoutTheMessageLoop) {
  ::ShowWindow(host.get(), SW_SHOWNOACTIVATE);
  auto bar = std::make_unique<ShownBar>(app, host.get(), RECT{0, 0, 200, 40});
  ::UpdateWindow(host.get());
  bar->model.SetMaxValue(4);
  bar->model.SetProgress(3);  // 75 %, painted at once
  RECT pending{};
  EXPECT_FALSE(::GetUpdateRect(bar->control.Handle(), &pending, FALSE));
  const Picture p = ScreenCapture(bar->control.Handle());
  EXPECT_EQ(p.At(149, 0), kBarLime);
  EXPECT_EQ(p.At(150, 0), kBarWhite);
  EXPECT_EQ(bar->repaints, 2);
}

TEST_F(GaugeBarTest, PaintsAModelOwnedElsewhere) {
  int repaints = 0;
  TProgressBarModel model([&] { ++repaints; });
  auto bar = std::make_unique<TGaugeBar>(app, host.get(), RECT{0, 0, 100, 20}, model);
  model.SetMaxValue(10);
  model.SetProgress(3);
  model.SetForeColor(kBarBlue);
  EXPECT_EQ(repaints, 3);  // the owner's handler was left in place
  CheckPicture(PrintClient(bar->Handle()), 30, kBarBlue, kBarWhite);
}

TEST_F(GaugeBarTest, SurvivesItsParentGoingFirst) {
  auto first = std::make_unique<ShownBar>(app, host.get(), RECT{0, 0, 100, 20});
  auto second = std::make_unique<ShownBar>(app, host.get(),
                                           RECT{0, 30, 100, 50});  // the class is registered once
  const HWND handle = first->control.Handle();
  ASSERT_TRUE(::IsWindow(handle));
  second.reset();  // owner first: the window goes with it
  host.reset();    // parent first: the control lets go of its handle
  EXPECT_FALSE(::IsWindow(handle));
  EXPECT_EQ(first->control.Handle(), nullptr);
  first->control.RepaintNow();  // harmless once the window is gone
  first->model.SetMaxValue(5);
}

TEST_F(GaugeBarTest, ControlHasNoBorder) {
  auto bar = std::make_unique<ShownBar>(app, host.get(), RECT{0, 0, 120, 11});
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(bar->control.Handle(), GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(bar->control.Handle(), GWL_EXSTYLE));
  EXPECT_EQ(style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME), 0u);
  EXPECT_EQ(exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_WINDOWEDGE), 0u);
  EXPECT_NE(style & WS_CHILD, 0u);
}

TEST(LocalClock, ReadsTheLocalTimeToTheMillisecond) {
  TLocalClock clock;
  SYSTEMTIME before{};
  ::GetLocalTime(&before);
  const TDateTime now = clock.Now();
  const TDateTime expected = EncodeDateTime(before.wYear, before.wMonth, before.wDay, before.wHour,
                                            before.wMinute, before.wSecond, before.wMilliseconds);
  EXPECT_GE(now, expected);
  EXPECT_LT((now - expected) * kMSecsPerDay, 1000.0);
  // Milliseconds survive: two readings 50 ms apart differ by about that.
  ::Sleep(50);
  const double apartMs = (clock.Now() - now) * kMSecsPerDay;
  EXPECT_GE(apartMs, 40.0);
  EXPECT_LT(apartMs, 1000.0);
}

TEST(LocalClock, TimeSeparatorIsTheLocales) {
  TLocalClock clock;
  wchar_t buffer[8] = {};
  ASSERT_GT(::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, buffer, 8), 1);
  EXPECT_EQ(clock.TimeSeparator(), static_cast<char16_t>(buffer[0]));
}
