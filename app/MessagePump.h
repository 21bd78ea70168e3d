#pragma once
// The thread's message pump, the one both front ends use: every pending
// message is taken off the queue, passed to the forms' keyboard handling and
// dispatched. WM_QUIT sets the terminating flag; a thread without windows
// never receives one.

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
