// The shell's silent move and copy: wildcards, missing destinations, merges, refusals.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/FileSystem_win32.h"
#include "platform/win32/ShellFiles_win32.h"
#include "platform/win32/WideText.h"
#include "tests/win32/ScratchFolder.h"

namespace {

using platform::ShellOperation;
using win32test::makeFolder;
using win32test::readFile;
using win32test::writeFile;

class Win32ShellFilesTest : public ::testing::Test {
 protected:
  platform::LastError lastError;
  platform::win32::Win32FileSystem files{lastError};
  platform::win32::Win32ShellFiles shell{files, lastError};
  win32test::ScratchFolder dir;
};

TEST_F(Win32ShellFilesTest, MovesAnInstallationIntoItsOwnNewSubFolder) {
  makeFolder(dir / "APP");
  writeFile(dir / "APP\\表示.EXE", "exe");
  makeFolder(dir / "APP\\HELP");
  writeFile(dir / "APP\\HELP\\A.HLP", "help");
  ASSERT_EQ(shell.fileOperation(ShellOperation::Move, {dir / "APP\\*"}, dir / "APP\\OLD"), 0);
  EXPECT_EQ(readFile(dir / "APP\\OLD\\表示.EXE"), "exe");
  EXPECT_EQ(readFile(dir / "APP\\OLD\\HELP\\A.HLP"), "help");
  EXPECT_EQ(readFile(dir / "APP\\表示.EXE"), "<missing>");
  // A single source into a missing folder keeps its name inside it.
  writeFile(dir / "ONE.TXT", "one");
  ASSERT_EQ(shell.fileOperation(ShellOperation::Copy, {dir / "ONE.TXT"}, dir / "NEW\\DEEP"), 0);
  EXPECT_EQ(readFile(dir / "NEW\\DEEP\\ONE.TXT"), "one");
  // Nothing matched: nothing to do, and no folder made for it.
  EXPECT_EQ(shell.fileOperation(ShellOperation::Move, {dir / "*.NONE"}, dir / "EMPTY"), 0);
  EXPECT_EQ(win32test::attributesOf(dir / "EMPTY"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Win32ShellFilesTest, ReplacesReadOnlyFilesAndMergesFolders) {
  makeFolder(dir / "SRC");
  makeFolder(dir / "SRC\\DATA");
  writeFile(dir / "SRC\\DATA\\A.DAT", "new");
  writeFile(dir / "SRC\\DATA\\B.DAT", "b");
  makeFolder(dir / "DST");
  makeFolder(dir / "DST\\DATA");
  writeFile(dir / "DST\\DATA\\A.DAT", "old");
  writeFile(dir / "DST\\DATA\\KEEP.DAT", "keep");
  ::SetFileAttributesW(platform::win32::widen(dir / "DST\\DATA\\A.DAT").c_str(),
                       FILE_ATTRIBUTE_READONLY);
  ASSERT_EQ(shell.fileOperation(ShellOperation::Move, {dir / "SRC\\DATA"}, dir / "DST"), 0);
  EXPECT_EQ(readFile(dir / "DST\\DATA\\A.DAT"), "new");
  EXPECT_EQ(readFile(dir / "DST\\DATA\\B.DAT"), "b");
  EXPECT_EQ(readFile(dir / "DST\\DATA\\KEEP.DAT"), "keep");
  EXPECT_EQ(win32test::attributesOf(dir / "SRC\\DATA"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Win32ShellFilesTest, RefusalsGiveTheShellsCodesAndTheRestStillGoes) {
  makeFolder(dir / "F");
  writeFile(dir / "F\\X.TXT", "x");
  writeFile(dir / "Y.TXT", "y");
  makeFolder(dir / "G");
  makeFolder(dir / "G\\Y.TXT");
  struct Row {
    const char* what;
    ShellOperation op;
    std::vector<std::string> sources;
    std::string into;
    int code;
  };
  const Row rows[] = {
      {"folder into itself", ShellOperation::Copy, {dir / "F", dir / "Y.TXT"}, dir / "F\\IN", 0x76},
      {"file onto itself", ShellOperation::Copy, {dir / "F\\X.TXT"}, dir / "f", 0x71},
      {"file onto a folder", ShellOperation::Copy, {dir / "Y.TXT"}, dir / "G", 0x80},
      {"missing folder", ShellOperation::Move, {dir / "NO\\*"}, dir / "F", 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(shell.fileOperation(row.op, row.sources, row.into), row.code);
    EXPECT_EQ(lastError.get(), row.code);
  }
  // The first row's second source went all the same.
  EXPECT_EQ(readFile(dir / "F\\IN\\Y.TXT"), "y");
}

}  // namespace
