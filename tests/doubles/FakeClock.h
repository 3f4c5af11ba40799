// A clock double: every reading moves time on, so waits end at once without real time passing.
#pragma once

#include <cstdint>

#include "platform/Clock.h"

namespace test {

class FakeClock : public platform::Clock {
 public:
  // Milliseconds that each reading adds.
  uint64_t stepMs = 500;
  uint64_t ticks = 1000;
  int readings = 0;

  uint64_t tickCountMs() override {
    ++readings;
    ticks += stepMs;
    return ticks;
  }
  // Readings of the date, which waits must never use: the date can be set back.
  int dateReadings = 0;
  double now() override {
    ++dateReadings;
    return static_cast<double>(tickCountMs()) / 86400000.0 + 46000.0;
  }
};

}  // namespace test
