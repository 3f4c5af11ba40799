// The real clock on Linux.
#include "platform/posix/Clock_posix.h"

#include <time.h>

namespace platform::posix {
namespace {

// 1970-01-01 in Windows date-time days.
constexpr double kUnixEpochDays = 25569.0;

}  // namespace

uint64_t SystemClock::tickCountMs() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

double SystemClock::now() {
  timespec ts{};
  ::clock_gettime(CLOCK_REALTIME, &ts);
  struct tm local {};
  ::localtime_r(&ts.tv_sec, &local);
  // Seconds of local time since the epoch: UTC seconds moved by the zone's offset at that time.
  const double localSeconds =
      static_cast<double>(ts.tv_sec + local.tm_gmtoff) + static_cast<double>(ts.tv_nsec) / 1e9;
  return kUnixEpochDays + localSeconds / 86400.0;
}

}  // namespace platform::posix
