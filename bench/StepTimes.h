#pragma once
// Time spent per named step, nested: a step's own time excludes the steps
// timed inside it, so the rows of one run add up to its wall time.

#include <cstdio>
#include <string>
#include <vector>

#include "bench/Timing.h"

namespace varnel::bench {

class StepTimes {
 public:
  template <typename Body>
  auto Time(const char* step, Body&& body) -> decltype(body()) {
    Scope scope(*this, step);
    return body();
  }

  // One line per step: "step=<name> count=<n> ms=<own time>".
  void Print() const;
  double OwnMs(const char* step) const;

 private:
  struct Row {
    std::string name;
    long count = 0;
    double ownMs = 0;
  };
  struct Frame {
    std::size_t row;
    Stopwatch clock;
    double childMs = 0;
  };
  class Scope {
   public:
    Scope(StepTimes& times, const char* step);
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    ~Scope();

   private:
    StepTimes& times_;
  };

  std::size_t RowFor(const char* step);

  std::vector<Row> rows_;  // in the order steps were first met
  std::vector<Frame> open_;
};

}  // namespace varnel::bench
