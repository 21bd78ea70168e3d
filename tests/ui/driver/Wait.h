#pragma once
// Every wait of the driver has a time bound. A wait that runs out throws a
// TimeoutError that says what was waited for, so a failing scenario tells
// which step of the program did not happen.

#include <chrono>
#include <functional>

#include "runtime/Exceptions.h"

namespace varnel::ui {

using Milliseconds = std::chrono::milliseconds;

inline constexpr Milliseconds kDefaultPoll{25};

class TimeoutError : public Exception {
 public:
  using Exception::Exception;
};

// Polls `condition` until it is true or `timeout` has passed; true when it
// became true. Never throws by itself (what `condition` throws passes).
bool TryWaitUntil(const std::function<bool()>& condition, Milliseconds timeout,
                  Milliseconds poll = kDefaultPoll);

// The same, but a timeout throws TimeoutError("Timed out after N ms waiting
// for <what>").
void WaitUntil(const std::function<bool()>& condition, Milliseconds timeout, StringView what,
               Milliseconds poll = kDefaultPoll);

// The message of a TimeoutError for `what` after `timeout`.
String TimeoutMessage(StringView what, Milliseconds timeout);

void Pause(Milliseconds duration);

}  // namespace varnel::ui
