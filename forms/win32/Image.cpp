#include "forms/PngDecoder.h"
#include "forms/win32/Controls.h"
#include "forms/win32/Create.h"

#include <span>

namespace varnel::forms {

namespace {

constexpr wchar_t kImageClass[] = L"VarnelImage";

std::span<const std::uint8_t> Resource(int id) {
  const HMODULE module = ::GetModuleHandleW(nullptr);
  const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));
  if (!found) win32::RaiseLastOSError();
  const HGLOBAL loaded = ::LoadResource(module, found);
  if (!loaded) win32::RaiseLastOSError();
  const auto* data = static_cast<const std::uint8_t*>(::LockResource(loaded));
  return {data, ::SizeofResource(module, found)};
}

}  // namespace

void Image::Register() {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &Image::WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kImageClass;
    return ::RegisterClassExW(&wc);
  }();
  if (!atom) win32::RaiseLastOSError();
}

Image::Image(Form& form, const ControlSpec& row) : Control(form, row) {
  Register();
  if (row.Picture) {
    DecodedImage picture = DecodePng(Resource(row.Picture));
    width_ = picture.Width;
    height_ = picture.Height;
    pixels_ = std::move(picture.Pixels);
  }
  Attach(detail::CreateChild(form, row, kImageClass, 0, 0, this));
}

LRESULT CALLBACK Image::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Image*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NCDESTROY) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  if (!self || (msg != WM_PAINT && msg != WM_PRINTCLIENT && msg != WM_ERASEBKGND))
    return ::DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_ERASEBKGND) return 1;

  PAINTSTRUCT ps{};
  const HDC dc = msg == WM_PAINT ? ::BeginPaint(hwnd, &ps) : reinterpret_cast<HDC>(wp);
  RECT rect{};
  ::GetClientRect(hwnd, &rect);
  if (self->pixels_.empty()) {
    ::FillRect(dc, &rect, self->Owner().FaceBrush());
  } else {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = self->width_;
    info.bmiHeader.biHeight = -self->height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    ::SetStretchBltMode(dc, HALFTONE);
    ::SetBrushOrgEx(dc, 0, 0, nullptr);
    ::StretchDIBits(dc, 0, 0, rect.right, rect.bottom, 0, 0, self->width_, self->height_,
                    self->pixels_.data(), &info, DIB_RGB_COLORS, SRCCOPY);
  }
  if (msg == WM_PAINT) ::EndPaint(hwnd, &ps);
  return 0;
}

}  // namespace varnel::forms
