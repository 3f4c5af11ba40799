// The stall rule of a transfer.
#include "platform/http/StallWatch.h"

namespace platform::http {

void StallWatch::start(uint64_t nowMs) {
  m_start = nowMs;
  m_recent.clear();
  m_recentBytes = 0;
}

void StallWatch::arrived(uint64_t nowMs, int64_t bytes) {
  if (bytes <= 0) return;
  // Arrivals of one moment count as one, so the list stays as short as the rounds of a window.
  if (!m_recent.empty() && m_recent.back().first == nowMs) {
    m_recent.back().second += bytes;
  } else {
    m_recent.emplace_back(nowMs, bytes);
  }
  m_recentBytes += bytes;
}

bool StallWatch::stalled(uint64_t nowMs) {
  if (nowMs < m_start + m_windowMs) return false;
  // Only what arrived within the last window counts.
  while (!m_recent.empty() && m_recent.front().first + m_windowMs <= nowMs) {
    m_recentBytes -= m_recent.front().second;
    m_recent.pop_front();
  }
  return m_recentBytes < m_minimum;
}

}  // namespace platform::http
