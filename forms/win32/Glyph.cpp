#include "forms/win32/Controls.h"
#include "platform/win32/Errors.h"

#include <vector>

namespace varnel::forms {

namespace {

struct Pixels {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Data;  // BGRA in memory, top-down
};

Pixels ReadBitmap(HBITMAP bitmap) {
  BITMAP info{};
  ::GetObjectW(bitmap, sizeof(info), &info);
  Pixels out;
  out.Width = info.bmWidth;
  out.Height = info.bmHeight;
  out.Data.resize(static_cast<std::size_t>(out.Width) * static_cast<std::size_t>(out.Height));
  BITMAPINFO header{};
  header.bmiHeader.biSize = sizeof(header.bmiHeader);
  header.bmiHeader.biWidth = out.Width;
  header.bmiHeader.biHeight = -out.Height;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  header.bmiHeader.biCompression = BI_RGB;
  const int lines =
      ::GetDIBits(win32::UniqueWindowDC(nullptr).get(), bitmap, 0, static_cast<UINT>(out.Height),
                  out.Data.data(), &header, DIB_RGB_COLORS);
  if (lines != out.Height) win32::RaiseLastOSError();
  return out;
}

std::uint32_t Grey(std::uint32_t bgra) {
  const auto b = bgra & 0xFF, g = (bgra >> 8) & 0xFF, r = (bgra >> 16) & 0xFF;
  // Lighter grey, as disabled pictures look on a button face.
  const std::uint32_t y = (r * 30 + g * 59 + b * 11) / 100;
  const std::uint32_t light = 128 + y / 2;
  return light | (light << 8) | (light << 16);
}

}  // namespace

Glyph::Glyph(int resourceId, int count) {
  win32::UniqueBitmap loaded(
      static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!loaded) win32::RaiseLastOSError();
  const Pixels source = ReadBitmap(loaded.get());
  const int images = count > 1 ? count : 1;
  width_ = source.Width / images;
  height_ = source.Height;
  transparent_ = source.Data.empty() ? 0
                                     : source.Data[static_cast<std::size_t>(height_ - 1) *
                                                   static_cast<std::size_t>(source.Width)];

  // One premultiplied strip of two images, enabled then disabled, whose
  // transparent pixels have alpha 0, for AlphaBlend.
  BITMAPINFO header{};
  header.bmiHeader.biSize = sizeof(header.bmiHeader);
  header.bmiHeader.biWidth = width_ * 2;
  header.bmiHeader.biHeight = -height_;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  header.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(::CreateDIBSection(nullptr, &header, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_) win32::RaiseLastOSError();
  auto* out = static_cast<std::uint32_t*>(bits);
  const auto key = transparent_ & 0xFFFFFF;
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const auto at = [&](int image) {
        return source.Data[static_cast<std::size_t>(y) * static_cast<std::size_t>(source.Width) +
                           static_cast<std::size_t>(image * width_ + x)] &
               0xFFFFFF;
      };
      const std::uint32_t enabled = at(0);
      const std::uint32_t disabled = images > 1 ? at(1) : (enabled == key ? key : Grey(enabled));
      const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(width_ * 2);
      out[row + static_cast<std::size_t>(x)] = enabled == key ? 0 : (enabled | 0xFF000000u);
      out[row + static_cast<std::size_t>(width_ + x)] =
          disabled == key ? 0 : (disabled | 0xFF000000u);
    }
  }
}

void Glyph::Draw(HDC dc, int x, int y, bool enabled) const {
  if (!bitmap_) return;
  win32::UniqueMemDC memory(::CreateCompatibleDC(dc));
  const win32::UniqueSelectObject selected(memory.get(), bitmap_.get());
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ::AlphaBlend(dc, x, y, width_, height_, memory.get(), enabled ? 0 : width_, 0, width_, height_,
               blend);
}

}  // namespace varnel::forms
