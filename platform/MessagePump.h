// Lets pending window messages run while long work goes on, on the one GUI thread.
#pragma once

namespace platform {

class MessagePump {
 public:
  virtual ~MessagePump() = default;
  // Runs every pending message once and returns (Application.ProcessMessages).
  virtual void processMessages() = 0;
  // Waits until a window message arrives or timeoutMs milliseconds pass, then runs every pending
  // message once.
  virtual void waitMessages(unsigned timeoutMs) = 0;
};

}  // namespace platform
