// The real clock on Windows: the tick count and the local date and time.
#pragma once

#include <cstdint>

#include "platform/Clock.h"

namespace platform::win32 {

class SystemClock final : public Clock {
 public:
  // GetTickCount64: monotonic milliseconds, not moved when the date is set.
  uint64_t tickCountMs() override;
  // GetLocalTime as days since 1899-12-30 00:00, the fraction being the time of day.
  double now() override;
};

}  // namespace platform::win32
