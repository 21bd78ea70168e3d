#include <span>

#include "forms/PngDecoder.h"
#include "forms/win32/Controls.h"
#include "forms/win32/Form.h"
#include "platform/win32/Errors.h"

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

Image::Image(Form& form, const ControlSpec& row) : Control(form, row) {
  RegisterWindowClass({.Name = kImageClass});
  if (row.Picture) {
    DecodedImage picture = DecodePng(Resource(row.Picture));
    width_ = picture.Width;
    height_ = picture.Height;
    pixels_ = std::move(picture.Pixels);
  }
  CreateFromRow(row, kImageClass, 0);
}

void Image::Paint(HDC dc) {
  RECT rect{};
  ::GetClientRect(Handle(), &rect);
  if (pixels_.empty()) {
    ::FillRect(dc, &rect, Owner().FaceBrush());
    return;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  ::SetStretchBltMode(dc, HALFTONE);
  ::SetBrushOrgEx(dc, 0, 0, nullptr);
  ::StretchDIBits(dc, 0, 0, rect.right, rect.bottom, 0, 0, width_, height_, pixels_.data(), &info,
                  DIB_RGB_COLORS, SRCCOPY);
}

LRESULT Image::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (PaintMessage(msg, wp)) return 0;
  if (msg == WM_ERASEBKGND) return 1;  // Paint covers every pixel
  return Control::HandleMessage(msg, wp, lp);
}

}  // namespace varnel::forms
