// The progress window as a real window: its layout as the toolkit builds it,
// what its labels and bar show on screen, folding, closing, the stop button
// and the accelerators, driven through its own message pump.

#include <gtest/gtest.h>

#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "forms/PngDecoder.h"
#include "forms/win32/Form.h"
#include "forms/win32/Host.h"
#include "platform/Clock.h"
#include "platform/MessagePump.h"
#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"
#include "progress/win32/GaugeBar.h"
#include "progress/win32/UINFOP50.h"
#include "runtime/DateTime.h"
#include "runtime/Exceptions.h"
#include "support/TestHost.h"

using namespace varnel;
using namespace varnel::progress;

namespace {

// ---------------------------------------------------------------------------
// The application the window lives in, reduced to what a test can watch.

class TestPump : public IMessagePump {
 public:
  void ProcessMessages() override {
    ++passes;
    if (suspended) return;
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        terminated_ = true;
        continue;
      }
      if (forms::Form::PreTranslate(msg)) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  bool Terminated() const override { return terminated_; }

  bool suspended = false;  // a caller's loop that keeps the queue blocked
  int passes = 0;

 private:
  bool terminated_ = false;
};

// The application with an owner window and a pump that really pumps.
class TestHost : public testing_support::TestHost {
 public:
  TestHost()
      : app_(::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, ::GetModuleHandleW(nullptr), nullptr)) {
    title = u"Configuración Servidores Quiral Velmira";
  }

  HWND AppWindow() const override { return app_.get(); }
  IMessagePump& Pump() override { return pump; }
  void Terminate() override { ++terminations; }

  TestPump pump;
  int terminations = 0;

 private:
  win32::UniqueWindow app_;
};

// A clock that moves only when the test says so.
class FakeClock : public IClock {
 public:
  TDateTime Now() override { return now_; }
  char16_t TimeSeparator() override { return u':'; }
  void Advance(int milliseconds) { now_ += static_cast<double>(milliseconds) / kMSecsPerDay; }

 private:
  TDateTime now_ = EncodeDateTime(2024, 5, 6, 10, 0, 0, 0);
};

// ---------------------------------------------------------------------------
// Windows found the way a user-interface driver would: class and text.

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  ::GetClassNameW(hwnd, name, 64);
  return name;
}

std::wstring TextOf(HWND hwnd) {
  const int length = ::GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd, text.data(), length + 1)));
  return text;
}

std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> out;
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    out.push_back(child);
  return out;
}

// The one descendant of `root` with this class and text; fails otherwise.
HWND FindControl(HWND root, const std::wstring& cls, const std::wstring& text) {
  struct Search {
    const std::wstring* cls;
    const std::wstring* text;
    std::vector<HWND> found;
  } search{&cls, &text, {}};
  ::EnumChildWindows(
      root,
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        if (::lstrcmpiW(ClassOf(hwnd).c_str(), s->cls->c_str()) == 0 && TextOf(hwnd) == *s->text)
          s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  EXPECT_EQ(search.found.size(), 1u) << "class " << std::string(cls.begin(), cls.end());
  return search.found.empty() ? nullptr : search.found.front();
}

// Position and size relative to the parent's client area.
RECT RectInParent(HWND hwnd) {
  RECT r{};
  ::GetWindowRect(hwnd, &r);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

struct Box {
  int left, top, width, height;
  bool operator==(const Box&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Box& b) {
  return os << "(" << b.left << ", " << b.top << ") " << b.width << " x " << b.height;
}

Box BoxOf(HWND hwnd) {
  const RECT r = RectInParent(hwnd);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

bool IsShown(HWND hwnd) { return (::GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

int OuterHeight(HWND hwnd) {
  RECT r{};
  ::GetWindowRect(hwnd, &r);
  return r.bottom - r.top;
}

// The extent of `text` in the font the control was given.
SIZE TextExtent(HWND control, const std::wstring& text) {
  const HDC dc = ::GetDC(control);
  const HGDIOBJ old =
      ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT r{0, 0, 0, 0};
  if (text.empty()) {
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    r.bottom = metrics.tmHeight;
  } else {
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
                DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  }
  ::SelectObject(dc, old);
  ::ReleaseDC(control, dc);
  return {r.right - r.left, r.bottom - r.top};
}

// ---------------------------------------------------------------------------
// Pixels, as 0x00BBGGRR.

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
  int Count(std::uint32_t colour) const {
    return static_cast<int>(std::count(pixels.begin(), pixels.end(), colour));
  }
};

class Dib {
 public:
  Dib(int width, int height) : dc_(::CreateCompatibleDC(nullptr)), width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
    old_ = ::SelectObject(dc_.get(), bitmap_.get());
    // Something whatever is captured must paint over.
    ::PatBlt(dc_.get(), 0, 0, width, height, BLACKNESS);
  }
  ~Dib() { ::SelectObject(dc_.get(), old_); }
  Dib(const Dib&) = delete;
  Dib& operator=(const Dib&) = delete;

  HDC Dc() const { return dc_.get(); }
  Picture Read() const {
    ::GdiFlush();
    Picture p{width_, height_, {}};
    const auto* raw = static_cast<const std::uint32_t*>(bits_);
    p.pixels.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    for (std::size_t i = 0; i < p.pixels.size(); ++i) {
      const std::uint32_t bgra = raw[i];
      p.pixels[i] = ((bgra >> 16) & 0xFF) | (bgra & 0xFF00) | ((bgra & 0xFF) << 16);
    }
    return p;
  }

 private:
  win32::UniqueMemDC dc_;
  win32::UniqueBitmap bitmap_;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
  int width_;
  int height_;
};

SIZE ClientSize(HWND hwnd) {
  RECT r{};
  ::GetClientRect(hwnd, &r);
  return {r.right, r.bottom};
}

// What is on screen now, read back through the control's own DC.
Picture ScreenCapture(HWND hwnd) {
  const SIZE size = ClientSize(hwnd);
  Dib dib(size.cx, size.cy);
  const HDC dc = ::GetDC(hwnd);
  ::BitBlt(dib.Dc(), 0, 0, size.cx, size.cy, dc, 0, 0, SRCCOPY);
  ::ReleaseDC(hwnd, dc);
  return dib.Read();
}

Picture PrintClient(HWND hwnd) {
  const SIZE size = ClientSize(hwnd);
  Dib dib(size.cx, size.cy);
  ::SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.Dc()), PRF_CLIENT);
  return dib.Read();
}

std::uint32_t FaceColour() {
  const COLORREF c = ::GetSysColor(COLOR_BTNFACE);
  return static_cast<std::uint32_t>(c);
}

// Pixels that are not the button face: the label's ink.
int Ink(const Picture& p) { return p.width * p.height - p.Count(FaceColour()); }

// Columns that hold ink, leftmost and rightmost.
std::pair<int, int> InkColumns(const Picture& p) {
  int first = p.width, last = -1;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      if (p.At(x, y) != FaceColour()) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
  return {first, last};
}

// ---------------------------------------------------------------------------
// A tiny PNG writer (8-bit RGB, one IDAT), for the screenshot.

void PutBig32(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutBig32(out, static_cast<std::uint32_t>(data.size()));
  const std::string body = std::string(type, 4) + data;
  out += body;
  PutBig32(out, static_cast<std::uint32_t>(::crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                                   static_cast<uInt>(body.size()))));
}

std::string EncodePng(const Picture& p) {
  std::string raw;
  for (int y = 0; y < p.height; ++y) {
    raw.push_back('\0');  // filter: none
    for (int x = 0; x < p.width; ++x) {
      const std::uint32_t c = p.At(x, y);
      raw.push_back(static_cast<char>(c & 0xFF));
      raw.push_back(static_cast<char>((c >> 8) & 0xFF));
      raw.push_back(static_cast<char>((c >> 16) & 0xFF));
    }
  }
  uLongf packedSize = ::compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  if (::compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                 reinterpret_cast<const Bytef*>(raw.data()),
                 static_cast<uLong>(raw.size())) != Z_OK)
    return {};
  packed.resize(packedSize);
  std::string header;
  PutBig32(header, static_cast<std::uint32_t>(p.width));
  PutBig32(header, static_cast<std::uint32_t>(p.height));
  header +=
      std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter set, no interlace
  std::string file("\x89PNG\r\n\x1a\n", 8);
  PutChunk(file, "IHDR", header);
  PutChunk(file, "IDAT", packed);
  PutChunk(file, "IEND", "");
  return file;
}

void SaveFile(const std::string& file, const std::wstring& path) {
  win32::UniqueHandle out(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_NE(out.get(), INVALID_HANDLE_VALUE) << "cannot write the screenshot";
  DWORD written = 0;
  ASSERT_TRUE(
      ::WriteFile(out.get(), file.data(), static_cast<DWORD>(file.size()), &written, nullptr));
  EXPECT_EQ(written, file.size());
}

// A build-tree path as this process sees it (the Linux root is drive Z:).
std::wstring BuildPath(const char* relative) {
  std::string path = std::string(VARNEL_BINARY_DIR) + "/" + relative;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return std::wstring(path.begin(), path.end());
}

// Wine keeps its own faces ("MS Sans Serif", Tahoma) in its data folder, but
// a fresh prefix here does not list them and falls back to a host font with
// other metrics. The test process loads them privately, so the window is
// measured in the faces its layout was drawn for.
class WineFaces {
 public:
  WineFaces() {
    for (const wchar_t* file : kFiles) {
      const std::wstring path = std::wstring(kFolder) + file;
      if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;  // Windows
      if (::AddFontResourceExW(path.c_str(), FR_PRIVATE, nullptr) > 0) loaded_.push_back(path);
    }
  }
  ~WineFaces() {
    for (const std::wstring& path : loaded_)
      ::RemoveFontResourceExW(path.c_str(), FR_PRIVATE, nullptr);
  }
  WineFaces(const WineFaces&) = delete;
  WineFaces& operator=(const WineFaces&) = delete;

 private:
  static constexpr const wchar_t* kFolder = L"Z:\\usr\\share\\wine\\fonts\\";
  static constexpr const wchar_t* kFiles[] = {L"sserife.fon", L"tahoma.ttf", L"tahomabd.ttf"};
  std::vector<std::wstring> loaded_;
};

// ---------------------------------------------------------------------------

class ProgressWindowTest : public ::testing::Test {
 protected:
  ProgressWindowTest() : window(host, clock, nullptr) {
    form = window.Handle();
    PSuperior = ::GetParent(FindControl(form, L"STATIC", L"Mensaje del Proceso:"));
    GBTiempos = FindControl(form, L"VarnelContainer", L" Estadísticas ");
    PSuperior1 = ::GetParent(FindControl(form, L"STATIC", L"Ultimo tiempo Registrado:"));
    gauge = FindControl(form, L"VarnelGaugeBar", L"");
    PInferior1 = ::GetParent(gauge);
    SBVerDetalles = FindControl(form, L"VarnelFlatButton", L"&Ver Detalles");
    BDetenerProceso = FindControl(form, L"VarnelFlatButton", L"Detener Proceso");
    BSalir = FindControl(form, L"VarnelFlatButton", L"&Salir");
    PInferior = ::GetParent(SBVerDetalles);
    LNombreItemActual = FindControl(form, L"STATIC", L"LNombreItemActual");
    LItemActual = FindControl(form, L"STATIC", L"LItemActual");
    LMensajeDelProceso = FindControl(form, L"STATIC", L"LMensajeDelProceso");
    LUltimoError = FindControl(form, L"STATIC", L"LUltimoError");
    LNumeroDeErroresProducidos = FindControl(form, L"STATIC", L"LNumeroDeErroresProducidos");
    LUltimoTiempo = FindControl(form, L"STATIC", L"LUltimoTiempo");
    LTiempoTranscurrido = FindControl(form, L"STATIC", L"LTiempoTranscurrido");
  }
  ~ProgressWindowTest() override { EXPECT_TRUE(host.errors.empty()) << "a handler failed"; }

  void Pump() { host.pump.ProcessMessages(); }
  void Click(HWND button) { ::SendMessageW(button, BM_CLICK, 0, 0); }

  WineFaces faces;  // before the window, which makes its fonts at once
  TestHost host;
  FakeClock clock;
  TFrmInfoP50 window;
  HWND form, PSuperior, GBTiempos, PSuperior1, gauge, PInferior1, SBVerDetalles, BDetenerProceso,
      BSalir, PInferior, LNombreItemActual, LItemActual, LMensajeDelProceso, LUltimoError,
      LNumeroDeErroresProducidos, LUltimoTiempo, LTiempoTranscurrido;
};

TEST_F(ProgressWindowTest, FrameCaptionAndClientAreaHiddenUntilShownThenCentred) {
  EXPECT_EQ(TextOf(form), L"Información del Proceso");
  const SIZE client = ClientSize(form);
  EXPECT_EQ(client.cx, 507);
  EXPECT_EQ(client.cy, 181);
  const LONG style = ::GetWindowLongW(form, GWL_STYLE);
  const LONG wanted = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  EXPECT_EQ(style & wanted, wanted);
  EXPECT_EQ(style & WS_THICKFRAME, 0) << "the border must not be sizeable";
  EXPECT_FALSE(::IsWindowVisible(form)) << "created hidden";
  EXPECT_EQ(::GetWindow(form, GW_OWNER), nullptr);

  window.Inicializar(10, true);
  EXPECT_TRUE(::IsWindowVisible(form));
  RECT work{}, outer{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  ::GetWindowRect(form, &outer);
  const int w = outer.right - outer.left, h = outer.bottom - outer.top;
  EXPECT_EQ(outer.left, work.left + (work.right - work.left - w) / 2);
  EXPECT_EQ(outer.top, work.top + (work.bottom - work.top - h) / 2);
}

TEST_F(ProgressWindowTest, EveryControlSitsAtItsLayoutRectangle) {
  // The controls found by class and text are the ones the window names.
  EXPECT_EQ(PSuperior, window.PSuperior->Handle());
  EXPECT_EQ(PSuperior1, window.PSuperior1->Handle());
  EXPECT_EQ(PInferior1, window.PInferior1->Handle());
  EXPECT_EQ(PInferior, window.PInferior->Handle());
  EXPECT_EQ(ClassOf(PSuperior), L"VarnelContainer");
  EXPECT_EQ(TextOf(PSuperior), L" ");
  EXPECT_EQ(TextOf(PInferior), L" ");

  // Parents as the layout table gives them.
  EXPECT_EQ(::GetParent(PSuperior), form);
  EXPECT_EQ(::GetParent(GBTiempos), form);
  EXPECT_EQ(::GetParent(PInferior), form);
  EXPECT_EQ(::GetParent(PSuperior1), GBTiempos);
  EXPECT_EQ(::GetParent(PInferior1), GBTiempos);
  EXPECT_EQ(::GetParent(LNombreItemActual), PSuperior);
  EXPECT_EQ(::GetParent(LUltimoTiempo), PSuperior1);
  EXPECT_EQ(::GetParent(BSalir), PInferior);
  EXPECT_EQ(ChildrenOf(form).size(), 3u);

  // The top bands stack: 0..89, 89..149, 149..180.
  EXPECT_EQ(BoxOf(PSuperior), (Box{0, 0, 507, 89}));
  EXPECT_EQ(BoxOf(GBTiempos), (Box{0, 89, 507, 60}));
  EXPECT_EQ(BoxOf(PInferior), (Box{0, 149, 507, 31}));
  EXPECT_EQ(BoxOf(PSuperior1), (Box{2, 15, 503, 26}));
  EXPECT_EQ(BoxOf(PInferior1), (Box{2, 41, 503, 17}));
  EXPECT_EQ(BoxOf(gauge), (Box{4, 2, 493, 11}));
  EXPECT_EQ(BoxOf(SBVerDetalles), (Box{194, 5, 95, 25}));
  EXPECT_EQ(BoxOf(BDetenerProceso), (Box{294, 5, 131, 25}));
  EXPECT_EQ(BoxOf(BSalir), (Box{430, 5, 75, 25}));

  // Fixed-size labels keep the layout's rectangle whatever their text.
  EXPECT_EQ(BoxOf(LNombreItemActual), (Box{8, 8, 331, 13}));
  EXPECT_EQ(BoxOf(LItemActual), (Box{352, 8, 137, 13}));
  EXPECT_EQ(BoxOf(LMensajeDelProceso), (Box{120, 24, 377, 13}));
  EXPECT_EQ(BoxOf(LUltimoError), (Box{72, 40, 417, 25}));
  EXPECT_EQ(BoxOf(LUltimoTiempo), (Box{144, 0, 129, 13}));
  EXPECT_EQ(BoxOf(LTiempoTranscurrido), (Box{144, 12, 137, 13}));

  // Autosize labels start where the layout puts them and take their text's size.
  struct Auto {
    const wchar_t* text;
    int left, top, layoutWidth;
  } autos[] = {
      {L"Mensaje del Proceso:", 8, 24, 102},          {L"Ultimo Error:", 8, 40, 57},
      {L"Número de errores producidos:", 8, 72, 145}, {L"LNumeroDeErroresProducidos", 160, 72, 143},
      {L"Ultimo tiempo Registrado:", 5, -1, 120},     {L"Tiempo Transcurrido:", 7, 12, 100}};
  for (const Auto& a : autos) {
    const HWND label = FindControl(form, L"STATIC", a.text);
    const SIZE text = TextExtent(label, a.text);
    const Box box = BoxOf(label);
    EXPECT_EQ(box, (Box{a.left, a.top, text.cx, text.cy})) << std::wstring(a.text).size();
    // In the layout's own face the text is as wide as the layout says.
    EXPECT_NEAR(box.width, a.layoutWidth, 2) << "label " << a.left << "," << a.top;
  }

  window.Inicializar(10, true);
  // The fixed labels kept their widths with the new texts...
  EXPECT_EQ(BoxOf(LNombreItemActual), (Box{8, 8, 331, 13}));
  EXPECT_EQ(BoxOf(LItemActual), (Box{352, 8, 137, 13}));
  EXPECT_EQ(BoxOf(LUltimoTiempo), (Box{144, 0, 129, 13}));
  // ...the error counter now fits "0".
  const SIZE zero = TextExtent(LNumeroDeErroresProducidos, L"0");
  EXPECT_EQ(BoxOf(LNumeroDeErroresProducidos), (Box{160, 72, zero.cx, zero.cy}));
  EXPECT_LT(zero.cx, 20);
}

TEST_F(ProgressWindowTest, CounterIsBoldNavyAndRightAligned) {
  EXPECT_TRUE(::GetWindowLongW(LItemActual, GWL_STYLE) & SS_RIGHT);
  LOGFONTW font{};
  ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(LItemActual, WM_GETFONT, 0, 0)), sizeof(font),
               &font);
  EXPECT_EQ(font.lfWeight, FW_BOLD);
  EXPECT_EQ(font.lfHeight, -11);
  EXPECT_EQ(std::wstring(font.lfFaceName), L"MS Sans Serif");
  LOGFONTW plain{};
  ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(LNombreItemActual, WM_GETFONT, 0, 0)),
               sizeof(plain), &plain);
  EXPECT_EQ(plain.lfWeight, FW_NORMAL);
  EXPECT_EQ(plain.lfHeight, -11);
  {
    // The face the system really gives: 11 pixels of character in a 13-pixel cell.
    const HDC dc = ::GetDC(LNombreItemActual);
    const HGDIOBJ old = ::SelectObject(
        dc, reinterpret_cast<HFONT>(::SendMessageW(LNombreItemActual, WM_GETFONT, 0, 0)));
    wchar_t face[LF_FACESIZE] = {};
    ::GetTextFaceW(dc, LF_FACESIZE, face);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(LNombreItemActual, dc);
    EXPECT_EQ(std::wstring(face), L"MS Sans Serif");
    EXPECT_EQ(metrics.tmHeight, 13);
  }

  window.Inicializar(10, true);
  const Picture counter = ScreenCapture(LItemActual);
  const auto [first, last] = InkColumns(counter);
  ASSERT_GE(last, 0) << "the counter drew nothing";
  EXPECT_GE(last, counter.width - 4) << "text ends at the right edge";
  EXPECT_GT(first, counter.width / 2) << "\"0 de 10\" is short: it starts far from the left";
  EXPECT_GT(counter.Count(0x00800000), 0) << "navy ink";
  // The item name is left-aligned in the window text colour.
  window.NombreItemActual(u"Servidor");
  const Picture name = ScreenCapture(LNombreItemActual);
  EXPECT_LT(InkColumns(name).first, 3);
  EXPECT_EQ(name.Count(0x00800000), 0);
  EXPECT_GT(name.Count(static_cast<std::uint32_t>(::GetSysColor(COLOR_WINDOWTEXT))), 0);
}

TEST_F(ProgressWindowTest, TextsThroughAPass) {
  // A new window ignores the process message until the first reset.
  window.MensajeDelProceso(u"antes");
  EXPECT_EQ(TextOf(LMensajeDelProceso), L"LMensajeDelProceso");
  EXPECT_FALSE(window.ContinuarProceso());

  window.Inicializar(10, true);
  EXPECT_TRUE(window.ContinuarProceso());
  EXPECT_EQ(TextOf(LItemActual), L"0 de 10");
  EXPECT_EQ(TextOf(LNombreItemActual), L"");
  EXPECT_EQ(TextOf(LUltimoTiempo), L"00m:00s:00ms");
  EXPECT_EQ(TextOf(LTiempoTranscurrido), L"0h:00m:00s");
  EXPECT_EQ(TextOf(LUltimoError), L"");
  EXPECT_EQ(TextOf(LNumeroDeErroresProducidos), L"0");
  EXPECT_EQ(TextOf(LMensajeDelProceso), L"");
  EXPECT_FALSE(::IsWindowEnabled(BSalir));
  EXPECT_TRUE(::IsWindowEnabled(BDetenerProceso));
  EXPECT_EQ(window.Bar().ForeColor(), kBarLime);
  EXPECT_EQ(window.Bar().MaxValue(), 10);

  window.MensajeDelProceso(u"Registrando Servidores DCOM...");
  EXPECT_EQ(TextOf(LMensajeDelProceso), L"Registrando Servidores DCOM...");
  window.NombreItemActual(u"A");
  EXPECT_EQ(TextOf(LItemActual), L"1 de 10");
  EXPECT_EQ(TextOf(LNombreItemActual), L"A");
  window.UltimoError(u"no arranca");
  EXPECT_EQ(TextOf(LUltimoError), L"A: no arranca");
  EXPECT_EQ(TextOf(LNumeroDeErroresProducidos), L"1");
  clock.Advance(65 * 1000 + 4);
  window.ItemActualTerminado();
  EXPECT_EQ(TextOf(LUltimoTiempo), L"1m:5s:4ms");
  EXPECT_EQ(TextOf(LTiempoTranscurrido), L"0h:01m:05s");
  window.NombreItemActual(u"B", 7);
  EXPECT_EQ(TextOf(LItemActual), L"7 de 10");
  window.EmpleadoActual(42.6L, u"Ana");
  EXPECT_EQ(TextOf(LNombreItemActual), L"43   Ana");
  EXPECT_EQ(TextOf(LItemActual), L"8 de 10");

  window.Finalizar();
  EXPECT_EQ(TextOf(LMensajeDelProceso), L"PROCESO TERMINADO");
  EXPECT_TRUE(::IsWindowEnabled(BSalir));
  EXPECT_FALSE(::IsWindowEnabled(BDetenerProceso));
  EXPECT_EQ(window.Bar().ForeColor(), 0x00FF0000u);
  EXPECT_TRUE(::IsWindowVisible(form)) << "finishing does not hide";
}

TEST_F(ProgressWindowTest, LabelsRepaintBeforeTheMessageLoopRuns) {
  window.Inicializar(3, true);
  window.NombreItemActual(u"A");
  Pump();
  const Picture before = ScreenCapture(LNombreItemActual);
  const Picture messageBefore = ScreenCapture(LMensajeDelProceso);
  const Picture errorBefore = ScreenCapture(LUltimoError);

  // From here on the queue is blocked, as inside a caller's loop.
  host.pump.suspended = true;
  window.NombreItemActual(u"WWWWWWWWWWWW");
  RECT pending{};
  EXPECT_FALSE(::GetUpdateRect(LNombreItemActual, &pending, FALSE)) << "paint left to the loop";
  const Picture after = ScreenCapture(LNombreItemActual);
  EXPECT_NE(after.pixels, before.pixels);
  EXPECT_GT(Ink(after), 2 * Ink(before)) << "the new, longer text is on screen";

  window.MensajeDelProceso(u"Asignando permisos DCOM...");
  EXPECT_FALSE(::GetUpdateRect(LMensajeDelProceso, &pending, FALSE));
  EXPECT_GT(Ink(ScreenCapture(LMensajeDelProceso)), Ink(messageBefore) + 20);

  window.UltimoError(u"falla");
  EXPECT_GT(Ink(ScreenCapture(LUltimoError)), Ink(errorBefore) + 20);
  const Picture counterBefore = ScreenCapture(LItemActual);
  window.NombreItemActual(u"C");
  EXPECT_NE(ScreenCapture(LItemActual).pixels, counterBefore.pixels) << "counter 3 de 3";
  host.pump.suspended = false;
}

TEST_F(ProgressWindowTest, BarPixelsInsideTheWindow) {
  window.Inicializar(7, true);
  for (int i = 0; i < 4; ++i) {
    window.NombreItemActual(u"item");
    window.ItemActualTerminado();
  }
  ASSERT_EQ(window.Bar().Progress(), 4);
  const std::uint32_t fore = window.Bar().ForeColor();
  EXPECT_EQ(fore, BarColor(218, 182, 0)) << std::hex << fore;
  const int barWidth = 493 * 57 / 100;  // 4 of 7 is 57 %

  const Picture p = PrintClient(gauge);
  ASSERT_EQ(p.width, 493);
  ASSERT_EQ(p.height, 11);
  int inverted = 0, wrong = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const std::uint32_t under = x < barWidth ? fore : kBarWhite;
      const std::uint32_t c = p.At(x, y);
      if (c == (~under & 0x00FFFFFFu)) {
        ++inverted;
      } else if (c != under && wrong++ < 5) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << c;
      }
    }
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(inverted, 10) << "the percentage text";
  // The bar ends exactly there: a row with no text shows the edge.
  for (int y : {0, p.height - 1}) {
    EXPECT_EQ(p.At(barWidth - 1, y), fore);
    EXPECT_EQ(p.At(barWidth, y), kBarWhite);
  }
  // And the screen shows the same picture without the loop having run.
  EXPECT_EQ(ScreenCapture(gauge).pixels, p.pixels);

  window.Finalizar();
  const Picture blue = ScreenCapture(gauge);
  EXPECT_EQ(blue.At(0, 0), kBarBlue);
  EXPECT_EQ(blue.At(p.width - 1, 0), kBarWhite);
}

TEST_F(ProgressWindowTest, DetailsFoldAndUnfoldExactly) {
  window.Inicializar(5, true);
  const int outer = OuterHeight(form);
  const Box groupBox = BoxOf(GBTiempos), lower = BoxOf(PInferior1), buttons = BoxOf(PInferior);
  const Box upper = BoxOf(PSuperior), upper1 = BoxOf(PSuperior1);

  Click(SBVerDetalles);
  EXPECT_EQ(OuterHeight(form), outer - 115);
  EXPECT_EQ(ClientSize(form).cy, 181 - 115);
  EXPECT_FALSE(IsShown(PSuperior));
  EXPECT_FALSE(IsShown(PSuperior1));
  EXPECT_EQ(BoxOf(GBTiempos), (Box{0, 0, 507, 34}));
  EXPECT_EQ(BoxOf(PInferior1), (Box{2, 15, 503, 17})) << "up to the group's first band";
  EXPECT_EQ(BoxOf(PInferior), (Box{0, 34, 507, 31}));
  EXPECT_EQ(BoxOf(gauge), (Box{4, 2, 493, 11}));
  EXPECT_EQ(TextOf(SBVerDetalles), L"&Ver Detalles") << "the caption does not change";
  EXPECT_TRUE(IsShown(gauge));

  // Work goes on while folded; the hidden labels keep their texts.
  window.NombreItemActual(u"plegado");
  EXPECT_EQ(TextOf(LNombreItemActual), L"plegado");

  ::PostMessageW(SBVerDetalles, BM_CLICK, 0, 0);
  Pump();
  EXPECT_EQ(OuterHeight(form), outer);
  EXPECT_TRUE(IsShown(PSuperior));
  EXPECT_TRUE(IsShown(PSuperior1));
  EXPECT_EQ(BoxOf(GBTiempos), groupBox);
  EXPECT_EQ(BoxOf(PInferior1), lower);
  EXPECT_EQ(BoxOf(PInferior), buttons);
  EXPECT_EQ(BoxOf(PSuperior), upper);
  EXPECT_EQ(BoxOf(PSuperior1), upper1);
  EXPECT_EQ(BoxOf(LNombreItemActual), (Box{8, 8, 331, 13}));

  // Inicializar does not unfold.
  Click(SBVerDetalles);
  window.Inicializar(5, false);
  EXPECT_FALSE(IsShown(PSuperior));
  EXPECT_EQ(OuterHeight(form), outer - 115);
}

TEST_F(ProgressWindowTest, CloseBoxAndSalirOnlyHide) {
  window.Inicializar(4, true);
  window.NombreItemActual(u"uno");
  ::SendMessageW(form, WM_CLOSE, 0, 0);
  EXPECT_FALSE(::IsWindowVisible(form));
  EXPECT_TRUE(::IsWindow(form));
  EXPECT_EQ(host.terminations, 0) << "not the main window";
  EXPECT_EQ(TextOf(LNombreItemActual), L"uno");

  // The pass goes on while hidden.
  window.UltimoError(u"falla oculta");
  clock.Advance(2500);
  window.ItemActualTerminado();
  window.Inicializar(4, false);
  EXPECT_TRUE(::IsWindowVisible(form));
  EXPECT_EQ(TextOf(LUltimoError), L"uno: falla oculta");
  EXPECT_EQ(TextOf(LNumeroDeErroresProducidos), L"1");
  EXPECT_EQ(TextOf(LUltimoTiempo), L"0m:2s:500ms");
  EXPECT_GT(Ink(ScreenCapture(LUltimoError)), 20) << "shown once visible again";

  ::SendMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
  Pump();
  EXPECT_FALSE(::IsWindowVisible(form));
  window.Inicializar(4, true);
  EXPECT_TRUE(::IsWindowVisible(form));

  Click(BSalir);  // disabled while the pass runs
  EXPECT_TRUE(::IsWindowVisible(form));
  window.Finalizar();
  Click(BSalir);
  EXPECT_FALSE(::IsWindowVisible(form));
  EXPECT_EQ(TextOf(LMensajeDelProceso), L"PROCESO TERMINADO");
  window.Inicializar(2, true);
  EXPECT_TRUE(::IsWindowVisible(form));
  EXPECT_EQ(TextOf(LItemActual), L"0 de 2");
}

TEST_F(ProgressWindowTest, StopButtonRequestsAStopThatOnlyAResetClears) {
  // Driven as a run drives it: through its interface, on the window itself.
  IRunProgress& run = window;
  run.Inicializar(3, true);
  run.MensajeDelProceso(u"Registrando Servidores DCOM...");
  ::PostMessageW(BDetenerProceso, BM_CLICK, 0, 0);
  run.NombreItemActual(u"uno");  // the click arrives while the item starts
  EXPECT_FALSE(run.ContinuarProceso());
  EXPECT_EQ(TextOf(LMensajeDelProceso), L"DETENIENDO EL PROCESO...");
  EXPECT_TRUE(::IsWindowEnabled(BDetenerProceso));

  run.MensajeDelProceso(u"Asignando permisos DCOM...");
  Click(BDetenerProceso);
  run.ItemActualTerminado();
  run.Finalizar();
  EXPECT_EQ(TextOf(LMensajeDelProceso), L"DETENIENDO EL PROCESO...");
  EXPECT_FALSE(run.ContinuarProceso());
  EXPECT_FALSE(::IsWindowEnabled(BDetenerProceso));
  EXPECT_TRUE(::IsWindowEnabled(BSalir));

  run.Inicializar(3, false);
  EXPECT_FALSE(run.ContinuarProceso());
  EXPECT_EQ(TextOf(LMensajeDelProceso), L"DETENIENDO EL PROCESO...");
  run.Inicializar(3, true);
  EXPECT_TRUE(run.ContinuarProceso());
  EXPECT_EQ(TextOf(LMensajeDelProceso), L"");
}

TEST_F(ProgressWindowTest, AltLettersPressTheButtonsThroughThePump) {
  window.Inicializar(3, true);
  const int outer = OuterHeight(form);
  ::PostMessageW(form, WM_SYSCHAR, L'v', 0x20000000);  // Alt+V
  Pump();
  EXPECT_EQ(OuterHeight(form), outer - 115);
  EXPECT_FALSE(IsShown(PSuperior));
  ::PostMessageW(SBVerDetalles, WM_SYSCHAR, L'V', 0x20000000);  // from a child, upper case
  Pump();
  EXPECT_EQ(OuterHeight(form), outer);

  ::PostMessageW(form, WM_SYSCHAR, L's', 0x20000000);  // "&Salir" is disabled: nothing
  Pump();
  EXPECT_TRUE(::IsWindowVisible(form));
  window.Finalizar();
  ::PostMessageW(form, WM_SYSCHAR, L's', 0x20000000);
  Pump();
  EXPECT_FALSE(::IsWindowVisible(form));
}

TEST_F(ProgressWindowTest, ZeroItemsAndANegativeCount) {
  window.Inicializar(0, true);
  EXPECT_TRUE(::IsWindowVisible(form));
  EXPECT_EQ(TextOf(LItemActual), L"0 de 0");
  EXPECT_EQ(window.Bar().MaxValue(), 0);
  window.Finalizar();
  EXPECT_EQ(TextOf(LMensajeDelProceso), L"PROCESO TERMINADO");
  EXPECT_TRUE(::IsWindowEnabled(BSalir));
  EXPECT_EQ(window.Bar().ForeColor(), kBarBlue);
  const Picture bar = PrintClient(gauge);
  EXPECT_EQ(bar.At(0, 0), kBarWhite) << "0 %: no bar";
}

TEST(ProgressWindowNegativeCount, RaisesAndStaysHidden) {
  WineFaces faces;
  TestHost host;
  FakeClock clock;
  TFrmInfoP50 window(host, clock, nullptr);
  const HWND counter = FindControl(window.Handle(), L"STATIC", L"LItemActual");
  try {
    window.Inicializar(-1, true);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Value must be between 1 and 2147483647");
  }
  EXPECT_FALSE(::IsWindowVisible(window.Handle()));
  EXPECT_EQ(TextOf(counter), L"0 de -1") << "steps before the bar took effect";
  EXPECT_TRUE(window.ContinuarProceso());
  EXPECT_TRUE(host.errors.empty());
}

TEST_F(ProgressWindowTest, ScreenshotMidPass) {
  window.Inicializar(7, true);
  window.MensajeDelProceso(u"Registrando Servidores DCOM...");
  const wchar_t* names[] = {L"ServAgenda", L"ServCartera", L"ServFacturas", L"ServNomina"};
  for (const wchar_t* name : names) {
    window.NombreItemActual(win32::FromW(name));
    clock.Advance(1370);
    window.ItemActualTerminado();
  }
  window.UltimoError(u"El sistema no puede encontrar el archivo especificado");
  window.NombreItemActual(u"ServTesoreria - Servidor de Tesorería");
  Pump();

  // The client area as it is on screen: without a window manager nobody
  // draws the frame here, so the picture leaves it out.
  const Picture shot = ScreenCapture(form);
  EXPECT_EQ(shot.width, 507);
  EXPECT_EQ(shot.height, 181);
  // The client area must be in the picture: the bar's colour is.
  EXPECT_GT(shot.Count(window.Bar().ForeColor()), 100);

  const std::string png = EncodePng(shot);
  // The file holds exactly what was on screen.
  const forms::DecodedImage back = forms::DecodePng(
      std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(png.data()), png.size()));
  ASSERT_EQ(back.Width, shot.width);
  ASSERT_EQ(back.Height, shot.height);
  for (std::size_t i = 0; i < shot.pixels.size(); ++i) {
    const std::uint32_t c = shot.pixels[i];
    const std::uint32_t argb = 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    ASSERT_EQ(back.Pixels[i], argb) << "pixel " << i;
  }
  ::CreateDirectoryW(BuildPath("screenshots").c_str(), nullptr);
  SaveFile(png, BuildPath("screenshots/progress-window.png"));
}

}  // namespace
