// The stall rule of a transfer: fewer than a minimum of bytes in any window of time fails it,
// however long the whole transfer takes.
#pragma once

#include <cstdint>
#include <deque>
#include <utility>

namespace platform::http {

class StallWatch {
 public:
  // Defaults: 1024 bytes in any 60 s.
  explicit StallWatch(uint64_t windowMs = 60000, int64_t minimumBytes = 1024)
      : m_windowMs(windowMs), m_minimum(minimumBytes) {}
  // The request went out at nowMs; nothing has arrived yet.
  void start(uint64_t nowMs);
  // Bytes arrived (head or body) at nowMs.
  void arrived(uint64_t nowMs, int64_t bytes);
  // True once a whole window has passed in which fewer than the minimum arrived.
  bool stalled(uint64_t nowMs);

 private:
  uint64_t m_windowMs;
  int64_t m_minimum;
  uint64_t m_start = 0;
  // Arrivals of the last window, oldest first, with their running sum.
  std::deque<std::pair<uint64_t, int64_t>> m_recent;
  int64_t m_recentBytes = 0;
};

}  // namespace platform::http
