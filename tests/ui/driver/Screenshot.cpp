#include "tests/ui/driver/Screenshot.h"

#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"
#include "tests/ui/driver/Files.h"
#include "tests/ui/driver/Png.h"

namespace varnel::ui {

namespace {

using win32::UniqueBitmap;
using win32::UniqueMemDC;

class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {
    if (!dc_) throw Exception(u"GetDC failed");
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  ~WindowDC() { ::ReleaseDC(window_, dc_); }
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A 32-bit top-down DIB section selected into a memory DC.
class Canvas {
 public:
  Canvas(HDC compatible, int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap_.reset(::CreateDIBSection(compatible, &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
    if (!bitmap_)
      throw Exception(u"Cannot create a bitmap of " + IntToStr(width) + u"x" + IntToStr(height));
    dc_.reset(::CreateCompatibleDC(compatible));
    if (!dc_) win32::RaiseLastOSError();
    old_ = ::SelectObject(dc_.get(), bitmap_.get());
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  ~Canvas() { ::SelectObject(dc_.get(), old_); }

  HDC dc() const { return dc_.get(); }
  Pixels Read() const {
    ::GdiFlush();
    Pixels pixels;
    pixels.Width = width_;
    pixels.Height = height_;
    const auto* source = static_cast<const std::uint32_t*>(bits_);
    const std::size_t count = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    pixels.Data.assign(source, source + count);
    for (std::uint32_t& p : pixels.Data) p &= 0x00FFFFFF;
    return pixels;
  }
  void Fill(std::uint32_t rgb) {
    auto* target = static_cast<std::uint32_t*>(bits_);
    const std::size_t count = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    ::GdiFlush();
    for (std::size_t i = 0; i < count; ++i) target[i] = rgb;
  }

 private:
  int width_;
  int height_;
  void* bits_ = nullptr;
  UniqueBitmap bitmap_;
  UniqueMemDC dc_;
  HGDIOBJ old_ = nullptr;
};

}  // namespace

Pixels CaptureScreenPixels(const RECT& screenRect) {
  const int width = screenRect.right - screenRect.left;
  const int height = screenRect.bottom - screenRect.top;
  if (width <= 0 || height <= 0) throw Exception(u"Nothing to capture: empty rectangle");
  WindowDC screen(nullptr);
  Canvas canvas(screen.get(), width, height);
  if (!::BitBlt(canvas.dc(), 0, 0, width, height, screen.get(), screenRect.left, screenRect.top,
                SRCCOPY))
    win32::RaiseLastOSError();
  return canvas.Read();
}

Pixels CaptureScreenPixels() {
  const int x = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int y = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
  const RECT all{x, y, x + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                 y + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  return CaptureScreenPixels(all);
}

Pixels CaptureWindowPixels(HWND window, CaptureMethod method) {
  RECT r{};
  if (!::GetWindowRect(window, &r)) win32::RaiseLastOSError();
  if (method == CaptureMethod::Screen) return CaptureScreenPixels(r);
  WindowDC screen(nullptr);
  Canvas canvas(screen.get(), r.right - r.left, r.bottom - r.top);
  if (!::PrintWindow(window, canvas.dc(), 0)) throw Exception(u"PrintWindow failed");
  return canvas.Read();
}

Pixels RenderIcon(HICON icon, int width, int height, std::uint32_t background) {
  WindowDC screen(nullptr);
  Canvas canvas(screen.get(), width, height);
  canvas.Fill(background);
  if (!::DrawIconEx(canvas.dc(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL))
    win32::RaiseLastOSError();
  return canvas.Read();
}

void SavePng(const String& path, const Pixels& pixels) {
  const std::vector<std::uint8_t> png = EncodePng(pixels);
  WriteFileBytes(path, std::string(png.begin(), png.end()));
}

void SaveScreenshot(const String& path, HWND window) {
  SavePng(path, window ? CaptureWindowPixels(window) : CaptureScreenPixels());
}

}  // namespace varnel::ui
