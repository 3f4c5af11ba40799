// The Win32 clock: monotonic ticks and the local date as a Windows date-time value.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/Clock_win32.h"

TEST(Win32Clock, NowMatchesTheLocalDateAndTicksNeverGoBack) {
  platform::win32::SystemClock clock;
  SYSTEMTIME local{};
  ::GetLocalTime(&local);
  const double now = clock.now();
  // 2000-01-01 is day 36526; each year after adds about 365.25 days.
  const double expectedDay = 36526.0 + (local.wYear - 2000) * 365.25;
  EXPECT_NEAR(now, expectedDay, 370.0);
  const double fraction = now - static_cast<long long>(now);
  EXPECT_NEAR(fraction * 24.0, local.wHour + local.wMinute / 60.0, 0.1);
  const uint64_t first = clock.tickCountMs();
  ::Sleep(20);
  EXPECT_GE(clock.tickCountMs(), first + 15);
}
