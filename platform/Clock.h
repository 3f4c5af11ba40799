// Time as the program sees it; tests replace it so that waits take no real time.
#pragma once

#include <cstdint>

namespace platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start, monotonic: setting the date never moves it
  // (GetTickCount).
  virtual uint64_t tickCountMs() = 0;
  // The local date and time in days, as a Windows date-time value.
  virtual double now() = 0;
};

}  // namespace platform
