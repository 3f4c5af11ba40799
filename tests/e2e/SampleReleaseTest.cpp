// The sample release as the end-to-end tests and the demo use it: every file of the tables,
// readable by independent tools, the same on every make; and the tree model that checks
// installations against it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "platform/posix/PeVersion.h"
#include "tests/e2e/ChildProcess.h"
#include "tools/sample-release/ReleaseContent.h"
#include "tools/sample-release/ReleaseWriter.h"
#include "tools/sample-release/SampleMachine.h"
#include "tools/sample-release/Tree.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path passFolder(int pass) { return fs::path(E2E_RELEASE_DIR) / sample::basePath(pass); }

TEST(SampleRelease, EveryFetchedNameIsServedAndExpandsToItsContentWithMsexpand) {
  ASSERT_FALSE(findProgram("msexpand").empty()) << "msexpand (Debian mscompress) missing";
  for (const int pass : sample::kPasses) {
    // Every standard ticked: the work lists name every file of the tables.
    std::set<std::string> fetched;
    for (const std::string& name : sample::workList(pass, sample::allTicked())) {
      fetched.insert(name);
    }
    for (const sample::ReleaseFile& file : sample::releaseFiles(pass)) {
      SCOPED_TRACE(std::to_string(pass) + " " + file.name);
      EXPECT_EQ(fetched.erase(file.name), 1u) << "served but never fetched";
      const fs::path path = passFolder(pass) / file.name;
      if (file.archive) {
        EXPECT_EQ(readFile(path).substr(2, 3), "-lh");
        continue;
      }
      const auto expanded =
          commandOutput({"sh", "-c", "exec msexpand <\"$1\"", "sh", path.string()});
      ASSERT_TRUE(expanded.has_value());
      EXPECT_EQ(*expanded, file.content);
    }
    EXPECT_TRUE(fetched.empty()) << fetched.size() << " fetched names not served, first "
                                 << (fetched.empty() ? "" : *fetched.begin());
  }
}

TEST(SampleRelease, ProgramsCarryTheirPassVersion) {
  struct Row {
    int pass;
    const char* name;
    uint32_t ms, ls;
  };
  const Row rows[] = {{1, "PictDesk.ex_", 0x00010002, 0x00090000},
                      {1, "MAILOUT.DL_", 0x00010002, 0x00090000},
                      {2, "PictDesk.ex_", 0x00020005, 0x00030000},
                      {2, "DeskRun.Ex_", 0x00020005, 0x00030000},
                      {2, "EXIF.DL_", 0x00020005, 0x00030000}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.pass) + " " + row.name);
    std::string content;
    for (const auto& f : sample::releaseFiles(row.pass)) {
      if (f.name == row.name) content = f.content;
    }
    const auto version = platform::readPeFileVersion(content);
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->fileVersionMS, row.ms);
    EXPECT_EQ(version->fileVersionLS, row.ls);
  }
}

TEST(SampleRelease, MakingItAgainGivesTheSameBytesAndTimes) {
  std::string scratch = (fs::temp_directory_path() / "brevan-release-XXXXXX").string();
  ASSERT_NE(::mkdtemp(scratch.data()), nullptr);
  sample::writeRelease(scratch, {});
  const sample::Tree first = sample::scanTree(std::string(E2E_RELEASE_DIR) + "/brevan");
  const sample::Tree again = sample::scanTree(scratch + "/brevan");
  fs::remove_all(scratch);
  EXPECT_EQ(sample::compareTrees(first, again), std::vector<std::string>{});
}

TEST(Tree, NamesAreFoundWithoutRegardToCaseAndKeepTheirStoredCase) {
  sample::Tree t;
  t.put("Inst/Plugin/A.SPI", "old", 100);
  t.put("INST/plugin/a.spi", "new");  // replaces the file, keeps its name
  t.put("inst/PLUGIN/B.SPI", "b");    // a new file in the existing folder
  EXPECT_EQ(t.files.size(), 2u);
  EXPECT_EQ(t.files.at("Inst/Plugin/A.SPI").bytes, "new");
  EXPECT_TRUE(t.files.count("Inst/Plugin/B.SPI"));
  EXPECT_EQ(t.storedPath("inst/plugin"), "Inst/Plugin");
  EXPECT_EQ(t.storedPath("Inst/Plugin/C.SPI"), std::nullopt);
  // Only ASCII letters fold: full-width letters are other names.
  t.put("Inst/ａ.txt", "x");
  EXPECT_EQ(t.storedPath("Inst/Ａ.txt"), std::nullopt);
}

TEST(Tree, MovesAndCopiesCarryWholeFoldersWithTheirTimes) {
  sample::Tree t;
  t.put("I/FASTGLASS/X.OCX", "x", 5);
  t.put("I/Template/14年度/KEN/LIST.TXT", "l", 6);
  t.move("I/fastglass", "I/OLD_BIN/FASTGLASS");
  EXPECT_EQ(t.files.at("I/OLD_BIN/FASTGLASS/X.OCX").mtime, 5);
  EXPECT_FALSE(t.folders.count("I/FASTGLASS"));
  t.copyContents("I/template", "I/NEW_BIN/template");
  EXPECT_EQ(t.files.at("I/NEW_BIN/template/14年度/KEN/LIST.TXT").mtime, 6);
  EXPECT_TRUE(t.files.count("I/Template/14年度/KEN/LIST.TXT"));
  EXPECT_TRUE(t.folders.count("I/NEW_BIN/template/14年度"));
}

TEST(Tree, ComparisonNamesEveryKindOfDifference) {
  sample::Tree expected;
  expected.put("A/same.txt", "same", 10);
  expected.put("A/content.txt", "want");
  expected.put("A/time.txt", "t", 10);
  expected.put("A/missing.txt", "m");
  expected.put("A/anytime.txt", "a");
  sample::Tree actual = expected;
  actual.files.at("A/content.txt").bytes = "got!";
  actual.files.at("A/time.txt").mtime = 11;
  actual.files.at("A/anytime.txt").mtime = 12345;
  actual.files.erase("A/missing.txt");
  actual.put("A/extra.txt", "e");
  actual.put("A/Sub/ro.txt", "r");
  actual.files.at("A/Sub/ro.txt").readOnly = true;
  expected.put("A/Sub/ro.txt", "r");
  // On disk a folder spelled otherwise is another entry.
  actual.folders["a"] = false;
  actual.files["a/case.txt"] = {"c", 1, false};
  const auto differences = sample::compareTrees(expected, actual);
  const std::vector<std::string> want = {
      "unexpected folder: a",
      "read-only attribute differs: A/Sub/ro.txt",
      "content differs: A/content.txt (expected 4 bytes, found 4)",
      "missing file: A/missing.txt",
      "time stamp differs: A/time.txt (expected " + sample::localTimeText(10) + ", found " +
          sample::localTimeText(11) + ")",
      "unexpected file: A/extra.txt",
      "unexpected file: a/case.txt"};
  EXPECT_EQ(differences, want);
}

}  // namespace
}  // namespace e2e
