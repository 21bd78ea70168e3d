#pragma once
// The thread's message pump, the one both front ends use: every pending
// message is taken off the queue, passed to the forms' keyboard handling and
// dispatched. WM_QUIT sets the terminating flag, which ends every wait for a
// started program from then on; nothing posts one to the command line's
// thread, which has no windows.

#include "platform/MessagePump.h"

namespace varnel::app {

class MessagePump final : public IMessagePump {
 public:
  void ProcessMessages() override;
  bool Terminated() const override { return terminated_; }

 private:
  bool terminated_ = false;
};

}  // namespace varnel::app
