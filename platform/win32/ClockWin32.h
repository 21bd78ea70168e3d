#pragma once
// IClock over the system's local time and the user's locale.

#include "platform/Clock.h"

namespace varnel::win32 {

class TLocalClock final : public IClock {
 public:
  TDateTime Now() override;
  // Read on every call: the user may change the setting while we run.
  char16_t TimeSeparator() override;
};

}  // namespace varnel::win32
