// The plug-in backup on a real machine folder.
#include "install/PluginBackup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/doubles/FakeView.h"
#include "tests/doubles/TempMachine.h"

namespace {

namespace fs = std::filesystem;

class RenameSPI : public testing::Test {
 protected:
  const std::string kPlugin = "C:\\APP\\NEW_BIN\\Plugin\\";

  bool run(const std::string& folder = "") {
    return install::RenameSPI(machine.services().files, folder.empty() ? kPlugin : folder);
  }
  void put(const std::string& name, const std::string& bytes = "x") {
    machine.put(kPlugin + name, bytes);
  }
  // The names on disk in a folder of the plug-in folder ("" for itself), sorted.
  std::vector<std::string> names(const std::string& sub = "") const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(machine.native(kPlugin + sub))) {
      out.push_back(e.path().filename().string() + (e.is_directory() ? "\\" : ""));
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  test::FakeView view;
  test::TempMachine machine{view};
};

using Names = std::vector<std::string>;

TEST_F(RenameSPI, OldBackupsGoAndPlugInsBecomeBackups) {
  put("KOKUDO.SPI", "plug-in");
  put("form.doc", "document");
  put("Sheet.Xls", "sheet");
  put("OLD.BAK", "old backup");
  put("old2.bak");
  put("README.TXT", "kept");
  put("NOEXT");
  put("sub\\IN.SPI", "not touched");
  put("sub\\IN.BAK", "not touched");
  put("dir.SPI\\x");
  EXPECT_TRUE(run());
  EXPECT_EQ(names(), (Names{"KOKUDO.BAK", "NOEXT", "README.TXT", "Sheet.BAK", "dir.SPI\\",
                            "form.BAK", "sub\\"}));
  EXPECT_EQ(machine.get(kPlugin + "KOKUDO.BAK"), "plug-in");
  EXPECT_EQ(machine.get(kPlugin + "form.BAK"), "document");
  EXPECT_EQ(names("sub"), (Names{"IN.BAK", "IN.SPI"}));
  EXPECT_EQ(names("dir.SPI"), Names{"x"});
}

TEST_F(RenameSPI, OldBackupOfTheSameNameIsReplaced) {
  put("A.BAK", "last time's");
  put("A.SPI", "this time's");
  EXPECT_TRUE(run());
  EXPECT_EQ(names(), Names{"A.BAK"});
  EXPECT_EQ(machine.get(kPlugin + "A.BAK"), "this time's");
}

TEST_F(RenameSPI, ReadOnlyBackupFailsButEverythingElseIsDone) {
  put("LOCKED.BAK", "locked");
  machine.setReadOnly(kPlugin + "LOCKED.BAK", true);
  put("OTHER.BAK");
  put("B.SPI");
  EXPECT_FALSE(run());
  EXPECT_EQ(names(), (Names{"B.BAK", "LOCKED.BAK"}));
  EXPECT_EQ(machine.get(kPlugin + "LOCKED.BAK"), "locked");
}

TEST_F(RenameSPI, ReadOnlyPlugInIsStillRenamed) {
  put("RO.SPI", "read-only plug-in");
  machine.setReadOnly(kPlugin + "RO.SPI", true);
  EXPECT_TRUE(run());
  EXPECT_EQ(names(), Names{"RO.BAK"});
}

TEST_F(RenameSPI, SameStemTwiceFailsOnTheSecond) {
  put("FORM.SPI", "spi");
  put("FORM.DOC", "doc");
  EXPECT_FALSE(run());
  const Names left = names();
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left[0], "FORM.BAK");
  // Whichever was listed first won; the other keeps its name and its bytes.
  const std::string loser = left[1];
  EXPECT_TRUE(loser == "FORM.DOC" || loser == "FORM.SPI") << loser;
  EXPECT_EQ(machine.get(kPlugin + "FORM.BAK"), loser == "FORM.DOC" ? "spi" : "doc");
}

TEST_F(RenameSPI, MissingOrEmptyFolderIsNothingToDo) {
  EXPECT_TRUE(run("C:\\APP\\NEW_BIN\\NoSuchFolder\\"));
  ASSERT_TRUE(machine.services().files.createFolders(kPlugin).ok());
  EXPECT_TRUE(run());
  EXPECT_TRUE(names().empty());
}

TEST_F(RenameSPI, FolderWithoutTrailingBackslash) {
  put("C.xls");
  EXPECT_TRUE(run("C:\\APP\\NEW_BIN\\Plugin"));
  EXPECT_EQ(names(), Names{"C.BAK"});
}

}  // namespace
