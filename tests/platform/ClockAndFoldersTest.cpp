// The real clock in local time, and the machine's system folders.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <cmath>
#include <optional>

#include "platform/posix/Clock_posix.h"
#include "platform/posix/SystemFolders_posix.h"
#include "tests/platform/ScratchMachine.h"

namespace {

// Sets TZ for one test and puts it back to the zone every test pins.
class ZoneGuard {
 public:
  explicit ZoneGuard(const char* zone) { set(zone); }
  ~ZoneGuard() { set("Asia/Tokyo"); }
  static void set(const char* zone) {
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
};

TEST(ClockTest, NowIsLocalTimeInWindowsDays) {
  platform::posix::SystemClock clock;
  constexpr double kSecond = 1.0 / 86400.0;
  ZoneGuard zone("Asia/Tokyo");
  const double before = 25569.0 + static_cast<double>(::time(nullptr) + 9 * 3600) / 86400.0;
  const double tokyo = clock.now();
  EXPECT_NEAR(tokyo, before, 2 * kSecond);
  ZoneGuard::set("UTC");
  const double utc = clock.now();
  EXPECT_NEAR(tokyo - utc, 9.0 / 24.0, 2 * kSecond);

  const uint64_t first = clock.tickCountMs();
  EXPECT_LE(first, clock.tickCountMs());
}

using SystemFoldersTest = test::ScratchMachine;

TEST_F(SystemFoldersTest, FixedFoldersAndTheLongFormInTheCaseOnDisk) {
  platform::posix::PosixSystemFolders folders(machine);
  EXPECT_EQ(folders.windowsDirectory(), "C:\\WINDOWS");
  EXPECT_EQ(folders.tempPath(), "C:\\TEMP\\");
  mkdirs("drive_c/Temp/Work");
  EXPECT_EQ(folders.longPathName("C:\\TEMP\\work\\"), "C:\\Temp\\Work\\");
  EXPECT_EQ(folders.longPathName("c:\\temp\\Gone\\x"), "C:\\Temp\\Gone\\x");
  EXPECT_EQ(folders.longPathName("C:\\"), "C:\\");
  EXPECT_EQ(folders.longPathName("Q:\\TEMP\\"), std::nullopt);
  EXPECT_EQ(folders.longPathName("TEMP"), std::nullopt);
}

}  // namespace
