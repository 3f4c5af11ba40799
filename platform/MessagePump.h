// Lets pending window messages run while long work goes on, on the one GUI thread.
#pragma once

namespace platform {

class MessagePump {
 public:
  virtual ~MessagePump() = default;
  // Runs every pending message once and returns (Application.ProcessMessages).
  virtual void processMessages() = 0;
  // Waits until a message arrives or timeoutMs have passed, then runs every pending message.
  virtual void waitMessages(unsigned timeoutMs) {
    (void)timeoutMs;
    processMessages();
  }
};

}  // namespace platform
