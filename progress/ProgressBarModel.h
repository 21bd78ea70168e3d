#pragma once
// The state of the painted progress bar GBarraDeAvance and the rules of its
// setters: range, position, colours, the percentage and the bar width it
// paints. Painting itself is the owner's business; the model only asks for a
// repaint, through the handler it was given, whenever what is on screen
// changes.

#include <cstdint>
#include <functional>
#include <utility>

namespace varnel::progress {

// 24-bit RGB in the layout 0x00BBGGRR.
using TBarColor = std::uint32_t;

inline constexpr TBarColor kBarWhite = 0x00FFFFFF;
inline constexpr TBarColor kBarLime = 0x0000FF00;
inline constexpr TBarColor kBarBlue = 0x00FF0000;

constexpr TBarColor BarColor(int red, int green, int blue) {
  return static_cast<TBarColor>(red & 0xFF) | static_cast<TBarColor>(green & 0xFF) << 8 |
         static_cast<TBarColor>(blue & 0xFF) << 16;
}

class TProgressBarModel {
 public:
  using RepaintHandler = std::function<void()>;

  // `repaint` is called for every repaint the model asks for; may be empty.
  explicit TProgressBarModel(RepaintHandler repaint = {}) : repaint_(std::move(repaint)) {}
  TProgressBarModel(const TProgressBarModel&) = delete;
  TProgressBarModel& operator=(const TProgressBarModel&) = delete;

  int MinValue() const { return min_; }
  int MaxValue() const { return max_; }
  int Progress() const { return progress_; }
  TBarColor ForeColor() const { return fore_; }
  TBarColor BackColor() const { return back_; }

  // The same value does nothing; a value below MinValue throws Exception
  // "Value must be between <MinValue+1> and 2147483647"; otherwise the value
  // is stored, Progress is lowered to it when larger, and the bar repaints.
  void SetMaxValue(int value);
  // The mirror rule: a value above MaxValue throws "Value must be between
  // -2147483648 and <MaxValue-1>"; otherwise stored, Progress raised to it
  // when smaller, repaint.
  void SetMinValue(int value);
  // Clamped into [MinValue, MaxValue]; the same value does nothing;
  // otherwise stored, with a repaint only when the whole percentage changed.
  void SetProgress(int value);
  // A different colour is stored and repainted.
  void SetForeColor(TBarColor color);
  void SetBackColor(TBarColor color);

  // 0 for an empty range, else (Progress - MinValue) * 100 / (MaxValue -
  // MinValue) truncated.
  int Percentage() const;
  // Columns of the bar in a control `controlWidth` pixels wide.
  int BarWidth(int controlWidth) const;

 private:
  void Repaint();

  int min_ = 0;
  int max_ = 0;
  int progress_ = 0;
  TBarColor fore_ = kBarLime;
  TBarColor back_ = kBarWhite;
  RepaintHandler repaint_;
};

}  // namespace varnel::progress
