// Lets pending window messages run while long work goes on, on the one GUI thread.
#pragma once

namespace platform {

class MessagePump {
 public:
  virtual ~MessagePump() = default;
  // Runs every pending message once and returns (Application.ProcessMessages).
  virtual void processMessages() = 0;
};

}  // namespace platform
