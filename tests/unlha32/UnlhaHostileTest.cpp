// The library on hand-made archives: hostile names, CP932 names, damaged data.
#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <filesystem>

#include "tests/unlha32/LhaBuilder.h"
#include "tests/unlha32/UnlhaFixture.h"
#include "unlha32/unlha32.h"

namespace fs = std::filesystem;

namespace test {
namespace {

const std::string kHyouji = "\x95\x5C\x8E\xA6";          // 表示, 0x5C as a trail byte
const std::string kSofuto = "\x83\x5C\x83\x74\x83\x67";  // ソフト

class UnlhaHostileTest : public UnlhaTest {
 protected:
  void SetUp() override {
    UnlhaTest::SetUp();
    fs::create_directories(native("C:\\WORK"));
    fs::create_directories(native("C:\\Brevan\\NEW_BIN"));
    dest = native("C:\\Brevan\\NEW_BIN");
  }
  Result run(const std::vector<LhaMember>& members, unsigned outputSize = 254) {
    writeFile(native("C:\\WORK\\T.lzh"), buildLha(members));
    return extract("C:\\WORK\\T.lzh", "C:\\Brevan\\NEW_BIN", outputSize);
  }
  std::string dest;
};

LhaMember file(int level, std::string name, std::string data, std::string folder = "") {
  LhaMember m;
  m.level = level;
  m.file = std::move(name);
  m.folder = std::move(folder);
  m.data = std::move(data);
  return m;
}

TEST_F(UnlhaHostileTest, Cp932NamesWithBackslashTrailBytesDecodeOnEveryLevel) {
  const auto result = run({
      file(0, kSofuto + "\\" + kHyouji + ".txt", "zero"),
      file(1, kHyouji + "1.txt", "one", kSofuto + "\xFF"),
      file(2, kHyouji + "2.txt", "two", "corins0.0\xFF" + kSofuto + "\xFF"),
      // All capitals from MS-DOS: kept as stored (no lower-casing that would alter a trail byte).
      file(0, "CORINS6.0\\\x83\x41.DAT", "a"),
  });
  ASSERT_EQ(result.code, 0) << result.output;
  EXPECT_EQ(tree(dest),
            (std::set<std::string>{"ソフト", "ソフト/表示.txt", "ソフト/表示1.txt", "corins0.0",
                                   "corins0.0/ソフト", "corins0.0/ソフト/表示2.txt", "CORINS6.0",
                                   "CORINS6.0/ア.DAT"}));
  EXPECT_EQ(readFile(dest + "/ソフト/表示.txt"), "zero");
  EXPECT_EQ(readFile(dest + "/corins0.0/ソフト/表示2.txt"), "two");
}

TEST_F(UnlhaHostileTest, MembersThatWouldLeaveTheDestinationAreSkipped) {
  LhaMember link;
  link.file = "corins0.0|/tmp";
  link.isFolder = true;
  link.symlink = true;
  LhaMember upFolder;
  upFolder.folder = "..\xFF";
  upFolder.isFolder = true;
  const auto result = run({
      file(2, "first.txt", "1"),
      file(0, "..\\evil0.txt", "x"),
      file(0, "corins0.0\\..\\..\\evil1.txt", "x"),
      file(1, "evil2.txt", "x", "..\xFF"),
      file(2, "evil3.txt", "x", "a\xFF..\xFF..\xFF"),
      file(2, "..\\evil4.txt", "x"),
      file(0, "\\evil5.txt", "x"),
      file(0, "/evil6.txt", "x"),
      file(0, "C:\\evil7.txt", "x"),
      file(2, "evil8.txt", "x",
           "\xFF"
           "tmp\xFF"),
      link,
      upFolder,
      file(2, "last.txt", "2"),
  });
  EXPECT_EQ(result.code, UNLHA_ERROR_UNSAFE_PATH);
  EXPECT_EQ(result.output.substr(0, result.output.find('\n') + 1),
            "Extracted 2 of 13 members.\r\n");
  EXPECT_NE(result.output.find("Skipped ..\\evil0.txt: parent folder (..)."), std::string::npos)
      << result.output;
  EXPECT_EQ(
      tree(root),
      (std::set<std::string>{
          "machine", "machine/drive_c", "machine/drive_c/WORK", "machine/drive_c/WORK/T.lzh",
          "machine/drive_c/Brevan", "machine/drive_c/Brevan/NEW_BIN",
          "machine/drive_c/Brevan/NEW_BIN/first.txt", "machine/drive_c/Brevan/NEW_BIN/last.txt"}));
  EXPECT_FALSE(fs::exists("/evil5.txt"));
  EXPECT_FALSE(fs::exists("/tmp/evil8.txt"));
}

TEST_F(UnlhaHostileTest, ExistingSymbolicLinksAreNeitherFollowedNorReplaced) {
  const std::string outside = root + "/outside";
  fs::create_directories(outside);
  writeFile(outside + "/target.txt", "outside");
  fs::create_directory_symlink(outside, dest + "/corins0.0");
  fs::create_symlink(outside + "/target.txt", dest + "/target.txt");
  const auto result = run({
      file(2, "x.txt", "via folder link", "CORINS0.0\xFF"),
      file(0, "corins0.0\\sub\\y.txt", "via folder link"),
      file(2, "TARGET.TXT", "via file link"),
      file(2, "fine.txt", "fine"),
  });
  EXPECT_EQ(result.code, UNLHA_ERROR_UNSAFE_PATH);
  EXPECT_EQ(tree(outside), std::set<std::string>{"target.txt"});
  EXPECT_EQ(readFile(outside + "/target.txt"), "outside");
  EXPECT_TRUE(fs::is_symlink(dest + "/target.txt"));
  EXPECT_EQ(readFile(dest + "/fine.txt"), "fine");
  EXPECT_NE(result.output.find("symbolic link on the way: corins0.0"), std::string::npos)
      << result.output;
}

TEST_F(UnlhaHostileTest, ACrcErrorAnywhereWritesNothing) {
  writeFile(dest + "/a.txt", "old a");
  auto bad = file(2, "b.txt", "damaged");
  bad.badCrc = true;
  const auto result = run({file(2, "a.txt", "new a"), bad, file(2, "c.txt", "c")});
  EXPECT_EQ(result.code, UNLHA_ERROR_FILE_CRC);
  EXPECT_EQ(result.output, "Nothing extracted: b.txt: CRC error.\r\n");
  EXPECT_EQ(tree(dest), std::set<std::string>{"a.txt"});
  EXPECT_EQ(readFile(dest + "/a.txt"), "old a");
}

TEST_F(UnlhaHostileTest, DamagedOrForeignArchivesAreRefusedWhole) {
  const std::string whole = buildLha({file(2, "a.txt", "aaaa"), file(0, "b.txt", "bbbbbbbb")});
  const size_t second = whole.find("-lh0-", 10) - 2;  // where the level 0 header starts
  std::string badSum = whole;
  badSum[second + 1] = static_cast<char>(badSum[second + 1] ^ 1);
  auto unknown = file(2, "b.txt", "data");
  std::strcpy(unknown.method, "-lhz-");
  struct Row {
    const char* what;
    std::string bytes;
    int code;
  };
  const Row rows[] = {
      {"cut inside the last member's data", whole.substr(0, whole.size() - 4),
       UNLHA_ERROR_UNEXPECTED_EOF},
      {"cut inside the second header", whole.substr(0, whole.size() - 12),
       UNLHA_ERROR_HEADER_BROKEN},
      {"a bad level 0 header checksum", badSum, UNLHA_ERROR_HEADER_BROKEN},
      {"an unknown method", buildLha({file(2, "a.txt", "aaaa"), unknown}), UNLHA_ERROR_METHOD},
      {"only an end mark", std::string(1, '\0'), UNLHA_ERROR_NOT_ARC_FILE},
      {"a header level 7",
       [] {
         std::string b = buildLha({file(2, "a.txt", "a")});
         b[20] = 7;
         return b;
       }(),
       UNLHA_ERROR_NOT_ARC_FILE},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    writeFile(native("C:\\WORK\\T.lzh"), row.bytes);
    const auto result = extract("C:\\WORK\\T.lzh", "C:\\Brevan\\NEW_BIN");
    EXPECT_EQ(result.code, row.code) << result.output;
    EXPECT_EQ(tree(dest), std::set<std::string>{});
  }
}

TEST_F(UnlhaHostileTest, HugeNamesAreSkippedAndTheRestWritten) {
  const auto result = run({
      file(2, std::string(1000, 'n') + ".txt", "x"),
      file(2, "x.txt", "x", std::string(60000, 'd') + "\xFF"),
      file(2, "ok.txt", "ok"),
  });
  EXPECT_EQ(result.code, UNLHA_ERROR_LONG_FILE_NAME);
  EXPECT_EQ(tree(dest), std::set<std::string>{"ok.txt"});
}

TEST_F(UnlhaHostileTest, FolderMembersMakeFoldersAndClashesAreReported) {
  LhaMember folder;
  folder.folder =
      "empty\xFF"
      "inner\xFF";
  folder.isFolder = true;
  writeFile(dest + "/plain", "a file where a folder is wanted");
  fs::create_directories(dest + "/Taken");
  const auto result = run({folder, file(0, "plain\\x.txt", "x"), file(2, "taken", "x"),
                           file(2, "y.txt", "y", "EMPTY\xFF")});
  EXPECT_EQ(result.code, UNLHA_ERROR_MAKEDIRECTORY) << result.output;
  EXPECT_TRUE(fs::is_directory(dest + "/empty/inner"));
  EXPECT_EQ(readFile(dest + "/empty/y.txt"), "y");
  EXPECT_EQ(readFile(dest + "/plain"), "a file where a folder is wanted");
  EXPECT_TRUE(fs::is_directory(dest + "/Taken"));
  EXPECT_NE(result.output.find("Skipped taken: not a file: Taken."), std::string::npos)
      << result.output;
}

TEST_F(UnlhaHostileTest, ALongReportStopsAtTheSizeGiven) {
  std::vector<LhaMember> members;
  for (int i = 0; i < 40; ++i)
    members.push_back(file(2, "..\\" + kHyouji + std::to_string(i), "x"));
  const auto result = run(members, 254);
  EXPECT_EQ(result.code, UNLHA_ERROR_UNSAFE_PATH);
  EXPECT_LE(toCp932(result.output).size(), 253u);
  EXPECT_GT(toCp932(result.output).size(), 240u);
  EXPECT_EQ(result.output.rfind("Extracted 0 of 40 members.\r\nSkipped ..\\表示0: ", 0), 0u)
      << result.output;
}

TEST_F(UnlhaHostileTest, AFailedWriteLeavesNoPartFileBehind) {
  // A file-size limit fails the write as a full disk would, for root too.
  writeFile(
      native("C:\\WORK\\T.lzh"),
      buildLha({file(2, "a.txt", std::string(100000, 'a'), "locked\xFF"), file(2, "b.txt", "b")}));
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 4096;
  auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const auto result = extract("C:\\WORK\\T.lzh", "C:\\Brevan\\NEW_BIN");
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(result.code, UNLHA_ERROR_CANNOT_WRITE) << result.output;
  EXPECT_EQ(tree(dest + "/locked"), std::set<std::string>{});
  EXPECT_EQ(readFile(dest + "/b.txt"), "b");
}

}  // namespace
}  // namespace test
