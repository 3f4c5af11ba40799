// The whole machine as tests get it: real services over a folder of their own, the fake clock.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "tests/doubles/FakeView.h"
#include "tests/doubles/TempMachine.h"

namespace {

TEST(TempMachineTest, ServicesWorkOnTheirOwnFolderWithTheFakeClock) {
  test::FakeView view;
  std::string prefix;
  {
    test::TempMachine machine(view);
    prefix = machine.prefix();
    platform::Services& services = machine.services();
    EXPECT_EQ(&services.clock, &machine.clock);
    const double before = machine.clock.now();
    EXPECT_GT(services.clock.now(), before);

    // The system folders exist from the start.
    EXPECT_TRUE(services.files.folderExists("C:\\WINDOWS"));
    EXPECT_TRUE(services.files.folderExists(services.folders.tempPath()));

    machine.put("C:\\VALTERN\\BREVAN\\OLD_BIN\\A.INI", "a");
    EXPECT_EQ(services.files.readFile("c:\\valtern\\brevan\\old_bin\\a.ini"), "a");
    machine.setReadOnly("C:\\VALTERN\\BREVAN\\OLD_BIN\\A.INI", true);
    EXPECT_EQ(services.files.deleteFile("C:\\VALTERN\\BREVAN\\OLD_BIN\\A.INI").error,
              platform::kErrorAccessDenied);
    EXPECT_EQ(services.lastError.get(), platform::kErrorAccessDenied);

    // One error record for every service.
    EXPECT_FALSE(services.files.writeFile("C:\\Gone\\X", "x"));
    EXPECT_EQ(services.lastError.get(), platform::kErrorPathNotFound);

    EXPECT_EQ(services.shell.fileOperation(platform::ShellOperation::Copy,
                                           {"C:\\VALTERN\\BREVAN\\OLD_BIN\\*.*"},
                                           "C:\\VALTERN\\BREVAN\\NEW_BIN"),
              0);
    EXPECT_EQ(machine.get("C:\\VALTERN\\BREVAN\\NEW_BIN\\A.INI"), "a");
    EXPECT_EQ(services.processes.start("C:\\WINDOWS\\regsvr32.exe /s x"), nullptr);
    EXPECT_NE(services.makeHttp(), nullptr);
  }
  struct stat st {};
  EXPECT_NE(::stat(prefix.c_str(), &st), 0);  // removed with the machine
}

}  // namespace
