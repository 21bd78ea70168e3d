#pragma once
// The local clock and the user's time separator, as the progress window
// reads them. Tests hand in a clock they move by hand.

#include "runtime/DateTime.h"

namespace varnel {

class IClock {
 public:
  virtual ~IClock() = default;
  // Local date and time, to the millisecond.
  virtual TDateTime Now() = 0;
  // The separator the user's locale puts between hours, minutes and seconds.
  virtual char16_t TimeSeparator() = 0;
};

}  // namespace varnel
