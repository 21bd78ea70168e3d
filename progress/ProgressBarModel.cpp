#include "progress/ProgressBarModel.h"

#include <algorithm>
#include <limits>

#include "runtime/Exceptions.h"
#include "runtime/String.h"

namespace varnel::progress {
namespace {

Exception OutOfRange(std::int64_t low, std::int64_t high) {
  return Exception(u"Value must be between " + IntToStr(low) + u" and " + IntToStr(high));
}

}  // namespace

void TProgressBarModel::SetMaxValue(int value) {
  if (value == max_) return;
  if (value < min_) {
    throw OutOfRange(static_cast<std::int64_t>(min_) + 1, std::numeric_limits<int>::max());
  }
  max_ = value;
  if (progress_ > max_) progress_ = max_;
  Repaint();
}

void TProgressBarModel::SetMinValue(int value) {
  if (value == min_) return;
  if (value > max_) {
    throw OutOfRange(std::numeric_limits<int>::min(), static_cast<std::int64_t>(max_) - 1);
  }
  min_ = value;
  if (progress_ < min_) progress_ = min_;
  Repaint();
}

void TProgressBarModel::SetProgress(int value) {
  value = std::clamp(value, min_, max_);
  if (value == progress_) return;
  const int before = Percentage();
  progress_ = value;
  // Long passes move the position far more often than the picture changes.
  if (Percentage() != before) Repaint();
}

void TProgressBarModel::SetForeColor(TBarColor color) {
  if (color == fore_) return;
  fore_ = color;
  Repaint();
}

void TProgressBarModel::SetBackColor(TBarColor color) {
  if (color == back_) return;
  back_ = color;
  Repaint();
}

int TProgressBarModel::Percentage() const {
  const std::int64_t range = static_cast<std::int64_t>(max_) - min_;
  if (range == 0) return 0;
  return static_cast<int>((static_cast<std::int64_t>(progress_) - min_) * 100 / range);
}

int TProgressBarModel::BarWidth(int controlWidth) const {
  return static_cast<int>(static_cast<std::int64_t>(controlWidth) * Percentage() / 100);
}

void TProgressBarModel::Repaint() {
  if (repaint_) repaint_();
}

}  // namespace varnel::progress
