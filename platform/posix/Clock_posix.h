// The real clock: monotonic milliseconds and the local date and time.
#pragma once

#include <cstdint>

#include "platform/Clock.h"

namespace platform::posix {

class SystemClock final : public Clock {
 public:
  // Milliseconds of the monotonic clock (never goes back when the date is set).
  uint64_t tickCountMs() override;
  // Local date and time as days since 1899-12-30 00:00, the fraction being the time of day.
  double now() override;
};

}  // namespace platform::posix
