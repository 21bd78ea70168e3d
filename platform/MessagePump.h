#pragma once
// The application's message pump, as the windows and the command runner see
// it: one pass takes every waiting message off the GUI thread's queue and
// dispatches it. Receiving WM_QUIT sets the terminating flag, which then
// stays set.

namespace varnel {

class IMessagePump {
 public:
  virtual ~IMessagePump() = default;
  virtual void ProcessMessages() = 0;
  virtual bool Terminated() const = 0;
};

}  // namespace varnel
