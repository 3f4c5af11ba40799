// The shell's silent move and copy, as the first run restructures an installation.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/posix/ShellFiles_posix.h"
#include "tests/platform/ScratchMachine.h"

namespace {

using platform::ShellOperation;

class ShellFilesTest : public test::ScratchMachine {
 protected:
  ShellFilesTest() : shell(files, lastError) { mkdirs("drive_x/Inst"); }

  // The entries of a folder as full paths, as the program lists them for a move.
  std::vector<std::string> entriesOf(const std::string& folder) {
    std::vector<std::string> out;
    for (const auto& entry : files.find(folder + "*")) {
      if (entry.name != "." && entry.name != "..") out.push_back(folder + entry.name);
    }
    return out;
  }

  std::vector<std::string> listing(const std::string& folder) {
    std::vector<std::string> out;
    for (const auto& entry : files.find(folder + "*")) {
      if (entry.name != "." && entry.name != "..") out.push_back(entry.name);
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  platform::posix::PosixShellFiles shell;
};

using Names = std::vector<std::string>;

TEST_F(ShellFilesTest, InstallationMovesIntoItsOwnOldBinFolderOfAnyCase) {
  put("drive_x/Inst/A.INI", "a");
  put("drive_x/Inst/C.EXE", "c");
  setReadOnly("drive_x/Inst/C.EXE", true);
  put("drive_x/Inst/Sub/B.TXT", "b");
  put("drive_x/Inst/old_bin/OLD.TXT", "o");
  const auto sources = entriesOf("X:\\Inst\\");
  ASSERT_EQ(sources.size(), 4u);

  EXPECT_EQ(shell.fileOperation(ShellOperation::Move, sources, "X:\\Inst\\OLD_BIN"), 0);
  EXPECT_EQ(listing("X:\\Inst\\"), Names{"old_bin"});
  EXPECT_EQ(listing("X:\\Inst\\old_bin\\"), (Names{"A.INI", "C.EXE", "OLD.TXT", "Sub"}));
  EXPECT_EQ(get("drive_x/Inst/old_bin/Sub/B.TXT"), "b");
  EXPECT_TRUE(readOnly("drive_x/Inst/old_bin/C.EXE"));
}

TEST_F(ShellFilesTest, MissingDestinationIsCreatedWithItsParents) {
  put("drive_x/Inst/A.INI", "a");
  put("drive_x/Inst/Sub/B.TXT", "b");
  EXPECT_EQ(shell.fileOperation(ShellOperation::Move, entriesOf("X:\\Inst\\"), "X:\\Inst\\OLD_BIN"),
            0);
  EXPECT_EQ(listing("X:\\Inst\\OLD_BIN\\"), (Names{"A.INI", "Sub"}));

  // One source and a missing destination: still a folder, never a new name for the file.
  EXPECT_EQ(shell.fileOperation(ShellOperation::Copy, {"X:\\Inst\\OLD_BIN\\A.INI"},
                                "X:\\Inst\\NEW_BIN\\Deep"),
            0);
  EXPECT_EQ(get("drive_x/Inst/NEW_BIN/Deep/A.INI"), "a");
}

TEST_F(ShellFilesTest, TemplateCopyReplacesFilesOfAnExistingFolder) {
  put("drive_x/Inst/OLD_BIN/Template/T1.DOT", "new t1");
  put("drive_x/Inst/OLD_BIN/Template/T2", "t2");
  put("drive_x/Inst/OLD_BIN/Template/Sub/S.DOT", "s");
  put("drive_x/Inst/NEW_BIN/template/t1.dot", "old t1");
  setReadOnly("drive_x/Inst/NEW_BIN/template/t1.dot", true);
  put("drive_x/Inst/NEW_BIN/template/KEEP.DOT", "keep");

  EXPECT_EQ(shell.fileOperation(ShellOperation::Copy, {"X:\\Inst\\OLD_BIN\\Template\\*.*"},
                                "X:\\Inst\\NEW_BIN\\template"),
            0);
  EXPECT_EQ(listing("X:\\Inst\\NEW_BIN\\template\\"), (Names{"KEEP.DOT", "Sub", "T2", "t1.dot"}));
  EXPECT_EQ(get("drive_x/Inst/NEW_BIN/template/t1.dot"), "new t1");
  EXPECT_EQ(get("drive_x/Inst/NEW_BIN/template/Sub/S.DOT"), "s");
  EXPECT_EQ(get("drive_x/Inst/NEW_BIN/template/KEEP.DOT"), "keep");
  EXPECT_EQ(listing("X:\\Inst\\OLD_BIN\\Template\\"), (Names{"Sub", "T1.DOT", "T2"}));
}

TEST_F(ShellFilesTest, FolderMovedOntoItsNamesakeMergesAndReplaces) {
  put("drive_x/Inst/OLD_BIN/FASTGLASS/X.OCX", "new x");
  put("drive_x/Inst/OLD_BIN/FASTGLASS/Lang/J.DLL", "j");
  put("drive_x/Inst/Dest/fastglass/x.ocx", "old x");
  setReadOnly("drive_x/Inst/Dest/fastglass/x.ocx", true);
  put("drive_x/Inst/Dest/fastglass/Lang/E.DLL", "e");
  setReadOnly("drive_x/Inst/OLD_BIN/FASTGLASS", true);

  EXPECT_EQ(
      shell.fileOperation(ShellOperation::Move, {"X:\\Inst\\OLD_BIN\\FASTGLASS"}, "X:\\Inst\\Dest"),
      0);
  EXPECT_FALSE(has("drive_x/Inst/OLD_BIN/FASTGLASS"));
  // The moved file replaces its namesake and brings its own name.
  EXPECT_EQ(listing("X:\\Inst\\Dest\\fastglass\\"), (Names{"Lang", "X.OCX"}));
  EXPECT_EQ(get("drive_x/Inst/Dest/fastglass/X.OCX"), "new x");
  EXPECT_EQ(listing("X:\\Inst\\Dest\\fastglass\\Lang\\"), (Names{"E.DLL", "J.DLL"}));

  // A wildcard moves the entries and leaves the folder they came from.
  put("drive_x/Inst/OLD_BIN/FG2/Y.OCX", "y");
  EXPECT_EQ(shell.fileOperation(ShellOperation::Move, {"X:\\Inst\\OLD_BIN\\FG2\\*.*"},
                                "X:\\Inst\\NEW_BIN\\FASTGLASS"),
            0);
  EXPECT_EQ(get("drive_x/Inst/NEW_BIN/FASTGLASS/Y.OCX"), "y");
  EXPECT_EQ(listing("X:\\Inst\\OLD_BIN\\FG2\\"), Names{});
}

TEST_F(ShellFilesTest, FailuresAreReportedAndTheRestIsStillDone) {
  put("drive_x/Inst/A.INI", "a");
  put("drive_x/Inst/B.INI", "b");
  put("drive_x/FILE", "f");
  mkdirs("drive_x/Empty");
  struct Row {
    const char* what;
    ShellOperation op;
    std::vector<std::string> sources;
    const char* destination;
    int result;
  };
  const Row rows[] = {
      {"wildcard over nothing", ShellOperation::Move, {"X:\\Empty\\*.*"}, "X:\\To", 0},
      {"missing source",
       ShellOperation::Move,
       {"X:\\Inst\\NONE"},
       "X:\\To",
       platform::kErrorFileNotFound},
      {"no sources", ShellOperation::Copy, {}, "X:\\To", 0},
      {"wildcard in a missing folder",
       ShellOperation::Move,
       {"X:\\Gone\\*.*"},
       "X:\\To",
       platform::kErrorPathNotFound},
      {"folder into itself",
       ShellOperation::Move,
       {"X:\\Inst"},
       "X:\\Inst\\OLD_BIN",
       platform::posix::kShellDestinationInside},
      {"folder copied into itself",
       ShellOperation::Copy,
       {"X:\\Inst"},
       "X:\\inst",
       platform::posix::kShellDestinationInside},
      {"file onto itself",
       ShellOperation::Copy,
       {"X:\\Inst\\A.INI"},
       "X:\\INST",
       platform::posix::kShellSameFile},
      {"destination is a file",
       ShellOperation::Copy,
       {"X:\\Inst\\A.INI"},
       "X:\\FILE",
       platform::posix::kShellFolderOntoFile},
      {"missing source first",
       ShellOperation::Copy,
       {"X:\\Inst\\NONE", "X:\\Inst\\B.INI"},
       "X:\\Copies",
       platform::kErrorFileNotFound},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(shell.fileOperation(row.op, row.sources, row.destination), row.result);
    EXPECT_EQ(get("drive_x/Inst/A.INI"), "a");
    EXPECT_EQ(get("drive_x/FILE"), "f");
  }
  EXPECT_EQ(get("drive_x/Copies/B.INI"), "b");  // done despite the missing one before it
  // Destinations are made only when something goes there.
  EXPECT_FALSE(has("drive_x/Inst/OLD_BIN"));
  EXPECT_FALSE(has("drive_x/To"));
  EXPECT_EQ(lastError.get(), platform::kErrorFileNotFound);
}

TEST_F(ShellFilesTest, FileMovedOntoAReadOnlyFileReplacesIt) {
  put("drive_x/Inst/A.INI", "new");
  put("drive_x/To/A.INI", "old");
  setReadOnly("drive_x/To/A.INI", true);
  EXPECT_EQ(shell.fileOperation(ShellOperation::Move, {"X:\\Inst\\a.ini"}, "X:\\To"), 0);
  EXPECT_EQ(files.readFile("X:\\TO\\A.INI"), "new");
  EXPECT_EQ(listing("X:\\To\\"), Names{"a.ini"});  // named as the source path names it
  EXPECT_FALSE(has("drive_x/Inst/A.INI"));
}

}  // namespace
