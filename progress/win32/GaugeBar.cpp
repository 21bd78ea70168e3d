#include "progress/win32/GaugeBar.h"

#include <cwchar>

#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"
#include "runtime/String.h"

namespace varnel::win32 {
namespace {

// Puts a GDI object into a DC for one scope and puts the old one back, so
// that the object can be deleted afterwards. Declare it after the owner of
// the object: it must go first.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(::SelectObject(dc, object)) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() {
    if (old_) ::SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

class PaintScope {
 public:
  explicit PaintScope(HWND window) noexcept : window_(window) { dc_ = ::BeginPaint(window, &ps_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  ~PaintScope() { ::EndPaint(window_, &ps_); }
  HDC dc() const noexcept { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_ = nullptr;
};

void FillSolid(HDC dc, int width, int height, TBarColor color) {
  if (width <= 0 || height <= 0) return;
  const UniqueBrush brush(::CreateSolidBrush(color));
  if (!brush) return;
  const RECT area{0, 0, width, height};
  ::FillRect(dc, &area, brush.get());
}

void RegisterGaugeClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (::GetClassInfoExW(instance, TGaugeBar::kClassName, &existing)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  // Redrawn whole on resizing: the text is centred.
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = TGaugeBar::kClassName;
  if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    RaiseLastOSError();
  }
}

UniqueFont MakeTextFont() {
  LOGFONTW lf{};
  lf.lfHeight = -8;  // character height, without internal leading
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = ANSI_CHARSET;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_ROMAN;
  std::wcscpy(lf.lfFaceName, L"MS Serif");
  return UniqueFont(::CreateFontIndirectW(&lf));
}

}  // namespace

TGaugeBar::TGaugeBar(TProgressBarModel* shown) : model_(shown) {
  if (!model_) {
    owned_ = std::make_unique<TProgressBarModel>([this] { RepaintNow(); });
    model_ = owned_.get();
  }
}

std::unique_ptr<TGaugeBar> TGaugeBar::Create(HWND parent, int x, int y, int width, int height) {
  std::unique_ptr<TGaugeBar> bar(new TGaugeBar(nullptr));
  bar->MakeWindow(parent, x, y, width, height);
  return bar;
}

std::unique_ptr<TGaugeBar> TGaugeBar::Create(HWND parent, int x, int y, int width, int height,
                                             TProgressBarModel& shown) {
  std::unique_ptr<TGaugeBar> bar(new TGaugeBar(&shown));
  bar->MakeWindow(parent, x, y, width, height);
  return bar;
}

void TGaugeBar::MakeWindow(HWND parent, int x, int y, int width, int height) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  RegisterGaugeClass(instance, &TGaugeBar::WindowProc);
  font_ = MakeTextFont();
  if (!font_) RaiseLastOSError();
  const HWND window = ::CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE, x, y, width,
                                        height, parent, nullptr, instance, this);
  if (!window) RaiseLastOSError();
  window_.reset(window);
}

TGaugeBar::~TGaugeBar() = default;

void TGaugeBar::RepaintNow() {
  if (window_) ::RedrawWindow(window_.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TGaugeBar::Paint(HWND window, HDC target) const {
  RECT client{};
  ::GetClientRect(window, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return;

  // The picture is made off screen and put up with one copy, so the bar
  // never flickers through white while a long pass repaints it.
  const UniqueMemDC canvas(::CreateCompatibleDC(target));
  const UniqueBitmap canvasBits(::CreateCompatibleBitmap(target, width, height));
  if (!canvas || !canvasBits) return;
  const SelectedObject canvasSelection(canvas.get(), canvasBits.get());

  FillSolid(canvas.get(), width, height, model_->BackColor());
  FillSolid(canvas.get(), model_->BarWidth(width), height, model_->ForeColor());

  // The text goes into a one-bit mask first (glyph pixels 1, the rest 0),
  // which is then XOR-ed onto the picture as white: every glyph pixel
  // takes the complement of the colour under it, whichever part of the bar
  // it falls on, and no other pixel changes.
  const String text = IntToStr(model_->Percentage()) + u"%";
  const auto length = static_cast<int>(text.size());
  const UniqueMemDC maskDC(::CreateCompatibleDC(target));
  const UniqueBitmap mask(::CreateBitmap(width, height, 1, 1, nullptr));
  if (!maskDC || !mask) return;
  const SelectedObject maskSelection(maskDC.get(), mask.get());
  const SelectedObject fontSelection(maskDC.get(), font_.get());
  ::PatBlt(maskDC.get(), 0, 0, width, height, BLACKNESS);
  ::SetBkMode(maskDC.get(), TRANSPARENT);
  ::SetTextColor(maskDC.get(), RGB(255, 255, 255));
  SIZE extent{};
  ::GetTextExtentPoint32W(maskDC.get(), W(text), length, &extent);
  ::TextOutW(maskDC.get(), (width - extent.cx) / 2, (height - extent.cy) / 2, W(text), length);

  // A one-bit source meets a colour picture through the picture's text and
  // background colours: 0 becomes black, 1 white.
  ::SetTextColor(canvas.get(), RGB(0, 0, 0));
  ::SetBkColor(canvas.get(), RGB(255, 255, 255));
  ::BitBlt(canvas.get(), 0, 0, width, height, maskDC.get(), 0, 0, SRCINVERT);

  ::BitBlt(target, 0, 0, width, height, canvas.get(), 0, 0, SRCCOPY);
}

LRESULT CALLBACK TGaugeBar::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TGaugeBar*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
  // Nothing may leave a window procedure; a picture that cannot be made
  // (out of memory) is simply not painted.
  try {
    switch (message) {
      case WM_ERASEBKGND:
        return 1;  // Paint covers every pixel
      case WM_PAINT: {
        const PaintScope paint(window);
        if (paint.dc()) self->Paint(window, paint.dc());
        return 0;
      }
      case WM_PRINTCLIENT:
        self->Paint(window, reinterpret_cast<HDC>(wParam));
        return 0;
      case WM_NCDESTROY:
        // The parent may take the control down before its owner does.
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_.release();
        break;
      default:
        break;
    }
  } catch (...) {
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace varnel::win32
