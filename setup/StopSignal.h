#pragma once
// A stop asked for by the user, as the run and the command runner read it:
// before each item, and after each pump pass while a started program runs.

namespace varnel::setup {

class IStopSignal {
 public:
  virtual ~IStopSignal() = default;
  virtual bool StopRequested() const = 0;
};

}  // namespace varnel::setup
