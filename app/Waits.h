// Waits that keep the window alive without keeping a core busy.
#pragma once

#include <cstdint>

#include "platform/Clock.h"
#include "platform/MessagePump.h"

namespace app {

// The longest a waiting loop sleeps before it looks at its condition again.
inline constexpr unsigned kWaitSliceMs = 50;

// Lets window messages run until ms milliseconds have passed on the monotonic tick count,
// sleeping until the next message (at most kWaitSliceMs) instead of spinning.
void waitWithMessages(platform::Clock& clock, platform::MessagePump& pump, uint64_t ms);

}  // namespace app
