// Windows paths mapped into the machine folder: drives, case-blind lookup, no way out.
#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "platform/posix/MachineFolder.h"
#include "tests/platform/ScratchMachine.h"

namespace {

using MachineFolderTest = test::ScratchMachine;

TEST_F(MachineFolderTest, MapsEachComponentToTheEntryOnDiskWhateverItsCase) {
  put("drive_c/Inst/OLD_BIN/A.INI");
  mkdirs("drive_c/Both/Data");
  mkdirs("drive_c/Both/data");
  mkdirs("drive_c/表示/ÄB");
  struct Row {
    const char* path;
    std::string native;
  };
  const Row rows[] = {
      {"C:\\INST\\old_bin\\a.ini", "drive_c/Inst/OLD_BIN/A.INI"},
      {"c:/inst/Old_Bin/", "drive_c/Inst/OLD_BIN"},
      {"C:\\", "drive_c"},
      // Missing components keep the case they were given.
      {"C:\\inst\\New\\Sub\\x.TXT", "drive_c/Inst/New/Sub/x.TXT"},
      // Two entries differing only in case: the exact one, else the first in byte order.
      {"C:\\Both\\data", "drive_c/Both/data"},
      {"C:\\Both\\DATA", "drive_c/Both/Data"},
      // Only ASCII letters fold.
      {"C:\\表示\\ÄB", "drive_c/表示/ÄB"},
      {"C:\\表示\\äb", "drive_c/表示/äb"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    EXPECT_EQ(machine.nativePath(row.path), native(row.native));
  }
}

TEST_F(MachineFolderTest, DotDotNeverLeavesTheDrive) {
  mkdirs("drive_d");
  const char* rows[] = {
      "C:\\Inst\\..\\..\\..\\drive_d",
      "C:\\..\\drive_d",
      "C:/../../drive_d",
      "C:\\a/..\\../..//drive_d",
  };
  for (const char* path : rows) {
    SCOPED_TRACE(path);
    EXPECT_EQ(machine.nativePath(path), native("drive_c/drive_d"));
  }
  EXPECT_EQ(machine.nativePath("C:\\Inst\\..\\A.INI"), native("drive_c/A.INI"));
}

TEST_F(MachineFolderTest, RefusesPathsThatAreNotAbsoluteDrivePaths) {
  const char* rows[] = {"Inst\\A.INI",          "\\Inst",      "C:Inst", "C:", "",
                        "\\\\server\\share\\a", "/etc/passwd", "1:\\a"};
  for (const char* path : rows) {
    SCOPED_TRACE(path);
    EXPECT_EQ(machine.nativePath(path), std::nullopt);
  }
  EXPECT_EQ(machine.nativePath(std::string("C:\\a\0/../../..", 14)), std::nullopt);
}

TEST_F(MachineFolderTest, DriveIsAFolderOrALinkToOne) {
  test::ScratchFolder elsewhere;
  ASSERT_EQ(::symlink(elsewhere.path().c_str(), native("drive_d").c_str()), 0);
  ASSERT_EQ(::symlink((elsewhere.path() + "/missing").c_str(), native("drive_e").c_str()), 0);
  put("drive_f");  // a file, not a folder
  put("drive_d/Data/X.TXT");
  EXPECT_EQ(machine.nativePath("d:\\DATA\\x.txt"), native("drive_d/Data/X.TXT"));
  EXPECT_EQ(machine.nativePath("E:\\a"), std::nullopt);
  EXPECT_EQ(machine.nativePath("F:\\a"), std::nullopt);
  EXPECT_EQ(machine.nativePath("G:\\a"), std::nullopt);
  EXPECT_EQ(machine.nativePath("Z:\\"), std::nullopt);
}

TEST_F(MachineFolderTest, SystemFoldersAreCreatedOnceWhateverTheirCase) {
  mkdirs("drive_c/windows");
  machine.ensureSystemFolders();
  EXPECT_TRUE(has("drive_c/windows"));
  EXPECT_FALSE(has("drive_c/WINDOWS"));
  EXPECT_TRUE(has("drive_c/TEMP"));

  platform::posix::MachineFolder fresh(scratch.path() + "/new/prefix/");
  EXPECT_EQ(fresh.prefix(), scratch.path() + "/new/prefix");
  fresh.ensureSystemFolders();
  EXPECT_TRUE(has("new/prefix/drive_c/WINDOWS"));
  EXPECT_TRUE(has("new/prefix/drive_c/TEMP"));
}

}  // namespace
