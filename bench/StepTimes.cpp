#include "bench/StepTimes.h"

namespace varnel::bench {

StepTimes::Scope::Scope(StepTimes& times, const char* step) : times_(times) {
  times_.open_.push_back(Frame{times_.RowFor(step), Stopwatch(), 0});
}

StepTimes::Scope::~Scope() {
  const Frame frame = times_.open_.back();
  times_.open_.pop_back();
  const double ms = frame.clock.ElapsedMs();
  Row& row = times_.rows_[frame.row];
  ++row.count;
  row.ownMs += ms - frame.childMs;
  if (!times_.open_.empty()) times_.open_.back().childMs += ms;
}

std::size_t StepTimes::RowFor(const char* step) {
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].name == step) return i;
  rows_.push_back(Row{step});
  return rows_.size() - 1;
}

double StepTimes::OwnMs(const char* step) const {
  for (const Row& row : rows_)
    if (row.name == step) return row.ownMs;
  return 0;
}

void StepTimes::Print() const {
  for (const Row& row : rows_)
    std::printf("step=%s count=%ld ms=%.1f\n", row.name.c_str(), row.count, row.ownMs);
}

}  // namespace varnel::bench
