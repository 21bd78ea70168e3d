#pragma once
// Pixels of the screen or of one window, for pixel checks and PNG files.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "runtime/String.h"

namespace varnel::ui {

// Top-down rows of 0x00RRGGBB values.
struct Pixels {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Data;

  std::uint32_t At(int x, int y) const {
    return Data[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) +
                static_cast<std::size_t>(x)];
  }
};

inline constexpr std::uint32_t Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
}

// A rectangle of the screen as it is shown (GetDC(nullptr) + BitBlt).
Pixels CaptureScreenPixels(const RECT& screenRect);
Pixels CaptureScreenPixels();  // the whole virtual screen

enum class CaptureMethod {
  Screen,  // the window's rectangle of the screen: what a person sees
  Print,   // PrintWindow: the window paints itself into a bitmap
};
Pixels CaptureWindowPixels(HWND window, CaptureMethod method = CaptureMethod::Screen);

// Draws an icon of this process into pixels of the given size on `background`.
Pixels RenderIcon(HICON icon, int width, int height, std::uint32_t background);

// Writes the screen (window == nullptr) or a window's rectangle as a PNG.
void SaveScreenshot(const String& path, HWND window = nullptr);
void SavePng(const String& path, const Pixels& pixels);

}  // namespace varnel::ui
