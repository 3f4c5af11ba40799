// The waiting loops on the real event loop and the real clock: near idle, and still responsive.
#include <gtest/gtest.h>
#include <time.h>

#include <QTimer>

#include "app/Waits.h"
#include "app/WindowDesign.h"
#include "platform/posix/Clock_posix.h"
#include "platform/qt/QtView.h"

namespace {

double processCpuMs() {
  timespec ts{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}

TEST(WaitTest, ASecondsWaitSleepsBetweenMessagesAndStillRunsThem) {
  platform::qt::QtView view{app::kMainForm};
  platform::posix::SystemClock clock;
  bool ran = false;
  QTimer::singleShot(100, [&] { ran = true; });
  const uint64_t start = clock.tickCountMs();
  const double cpuStart = processCpuMs();
  app::waitWithMessages(clock, view, 1000);
  const double cpu = processCpuMs() - cpuStart;
  EXPECT_GE(clock.tickCountMs() - start, 1000u);
  EXPECT_LT(cpu, 100.0) << "a tenth of the wait";
  EXPECT_TRUE(ran);
}

}  // namespace
