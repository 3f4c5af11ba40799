// The library on archives made by an independent archiver (jlha-utils), as the program calls it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "tests/unlha32/LhaBuilder.h"
#include "tests/unlha32/UnlhaFixture.h"
#include "unlha32/unlha32.h"

namespace fs = std::filesystem;

namespace test {
namespace {

constexpr time_t kStamp = 1617240030;  // 2021-04-01 10:20:30 in Tokyo: an even second for DOS

// The files put into every archive, by their path relative to the archive's root.
const std::map<std::string, std::string>& sourceFiles() {
  static const std::map<std::string, std::string> files = [] {
    std::map<std::string, std::string> f;
    f["corins0.0/a.txt"] = "hello\n";
    std::string text;
    for (int i = 0; i < 8000; ++i)
      text += "line " + std::to_string(i % 97) + " of the corins data\n";
    f["corins0.0/sub/big.txt"] = text;  // compresses: stored as -lh5-
    f["表示.txt"] = std::string(5000, 'x');
    f["ソフト/表.txt"] = "soft\n";
    std::string noise;
    uint32_t seed = 12345;
    for (int i = 0; i < 3000; ++i) {
      seed = seed * 1103515245u + 12345u;
      noise += static_cast<char>(seed >> 24);
    }
    f["corins5.0/ソ.dat"] = noise;
    return f;
  }();
  return files;
}

// Archives of header levels 0, 1 and 2, made once by jlha with CP932 names.
class JlhaArchives {
 public:
  static const JlhaArchives& get() {
    static const JlhaArchives archives;
    return archives;
  }
  std::string level[3];
  std::string error;

 private:
  // The archives are kept beside the test program (jlha needs a Java start-up each), made in
  // a scratch folder and renamed into place, so test processes running at once agree.
  JlhaArchives() {
    const fs::path cache = fs::path(JLHA_CACHE_DIR) / "v1";
    bool cached = true;
    for (int i = 0; i < 3; ++i) {
      level[i] = (cache / ("level" + std::to_string(i) + ".lzh")).string();
      cached = cached && fs::exists(level[i]);
    }
    if (cached) return;
    fs::create_directories(cache);
    std::string scratch = (cache / "make-XXXXXX").string();
    if (mkdtemp(scratch.data()) == nullptr) {
      error = "no scratch folder";
      return;
    }
    const std::string source = scratch + "/src";
    std::string names;
    for (const auto& [name, bytes] : sourceFiles()) {
      fs::create_directories(fs::path(source + "/" + name).parent_path());
      writeFile(source + "/" + name, bytes);
      const timespec times[2] = {{kStamp, 0}, {kStamp, 0}};
      utimensat(AT_FDCWD, (source + "/" + name).c_str(), times, 0);
      names += " '" + name + "'";
    }
    for (int i = 0; i < 3; ++i) {
      const std::string made = scratch + "/level" + std::to_string(i) + ".lzh";
      // 'y' stores the names as Shift_JIS (CP932); the digit is the header level.
      const std::string cmd = "cd '" + source + "' && LANG=C.UTF-8 '" JLHA_PROGRAM "' a" +
                              std::to_string(i) + "y '" + made + "'" + names + " >/dev/null 2>&1";
      if (std::system(cmd.c_str()) != 0 || !fs::exists(made)) {
        error = "jlha failed: " + cmd;
      } else {
        fs::rename(made, level[i]);
      }
    }
    fs::remove_all(scratch);
  }
};

class UnlhaJlhaTest : public UnlhaTest {
 protected:
  void SetUp() override {
    ASSERT_STRNE(JLHA_PROGRAM, "") << "jlha (Debian jlha-utils) missing";
    UnlhaTest::SetUp();
    ASSERT_EQ(JlhaArchives::get().error, "");
    for (int i = 0; i < 3; ++i) {
      fs::create_directories(native("C:\\WORK"));
      fs::copy_file(JlhaArchives::get().level[i],
                    native("C:\\WORK\\L" + std::to_string(i) + ".lzh"));
    }
    fs::create_directories(native("C:\\Brevan\\NEW_BIN"));
  }

  static std::set<std::string> expectedTree() {
    std::set<std::string> entries;
    for (const auto& [name, bytes] : sourceFiles()) {
      for (fs::path p = name; !p.empty(); p = p.parent_path()) entries.insert(p.string());
    }
    return entries;
  }
};

TEST_F(UnlhaJlhaTest, EveryHeaderLevelLandsBeneathTheDestinationWithDecodedNames) {
  const auto& library = UnlhaLibrary::get();
  EXPECT_EQ(library.getVersion(), 100);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(testing::Message() << "header level " << i);
    const std::string dest = "C:\\Brevan\\NEW_BIN\\L" + std::to_string(i);
    fs::create_directories(native(dest));
    const auto result = extract("C:\\WORK\\L" + std::to_string(i) + ".lzh", dest);
    EXPECT_EQ(result.code, 0) << result.output;
    EXPECT_EQ(result.output, "Extracted 5 of 5 members.\r\n");
    EXPECT_EQ(tree(native(dest)), expectedTree());
    for (const auto& [name, bytes] : sourceFiles()) {
      SCOPED_TRACE(name);
      const std::string path = native(dest) + "/" + name;
      EXPECT_EQ(readFile(path), bytes);
      struct stat st {};
      ASSERT_EQ(stat(path.c_str(), &st), 0);
      EXPECT_EQ(st.st_mtime, kStamp);
      EXPECT_NE(st.st_mode & S_IWUSR, 0u) << "extracted files stay writable";
    }
  }
}

TEST_F(UnlhaJlhaTest, ExistingFilesAreReplacedThroughCaseBlindNames) {
  const std::string dest = native("C:\\Brevan\\NEW_BIN");
  fs::create_directories(dest + "/CORINS0.0/SUB");
  writeFile(dest + "/CORINS0.0/A.TXT", "old");
  writeFile(dest + "/CORINS0.0/SUB/big.txt", "old big");
  writeFile(dest + "/CORINS0.0/keep.txt", "not in the archive");
  // The destination itself is also found without regard to case.
  const auto result = extract("C:\\WORK\\L2.lzh", "C:\\brevan\\new_bin");
  ASSERT_EQ(result.code, 0) << result.output;
  EXPECT_EQ(readFile(dest + "/CORINS0.0/A.TXT"), "hello\n");
  EXPECT_EQ(readFile(dest + "/CORINS0.0/SUB/big.txt"), sourceFiles().at("corins0.0/sub/big.txt"));
  EXPECT_EQ(readFile(dest + "/CORINS0.0/keep.txt"), "not in the archive");
  EXPECT_FALSE(fs::exists(dest + "/corins0.0")) << "a second folder beside CORINS0.0";
  EXPECT_FALSE(fs::exists(dest + "/CORINS0.0/a.txt")) << "a second file beside A.TXT";
  EXPECT_FALSE(fs::exists(native("C:\\brevan")));
}

TEST_F(UnlhaJlhaTest, ReadOnlyFileIsNotReplacedButTheOthersAre) {
  const std::string dest = native("C:\\Brevan\\NEW_BIN");
  fs::create_directories(dest + "/corins0.0");
  writeFile(dest + "/corins0.0/a.txt", "old");
  chmod((dest + "/corins0.0/a.txt").c_str(), 0444);
  const auto result = extract("C:\\WORK\\L2.lzh", "C:\\Brevan\\NEW_BIN");
  EXPECT_EQ(result.code, UNLHA_ERROR_READ_ONLY);
  EXPECT_EQ(result.output,
            "Extracted 4 of 5 members.\r\n"
            "Skipped corins0.0\\a.txt: read-only file not replaced: a.txt.\r\n");
  EXPECT_EQ(readFile(dest + "/corins0.0/a.txt"), "old");
  EXPECT_EQ(readFile(dest + "/表示.txt"), std::string(5000, 'x'));
  EXPECT_EQ(tree(dest + "/corins0.0").count("sub/big.txt"), 1u);
}

TEST_F(UnlhaJlhaTest, MissingDestinationFoldersAreCreated) {
  const auto result = extract("C:\\WORK\\L1.lzh", "C:\\Brevan\\NEW_BIN\\not\\yet");
  ASSERT_EQ(result.code, 0) << result.output;
  EXPECT_EQ(readFile(native("C:\\Brevan\\NEW_BIN\\not\\yet\\ソフト\\表.txt")), "soft\n");
}

TEST_F(UnlhaJlhaTest, NativeAbsolutePathsAreAccepted) {
  const std::string dest = root + "/native dest";
  const auto result = command("e \"" + native("C:\\WORK\\L0.lzh") + "\" \"" + dest + "/\"");
  ASSERT_EQ(result.code, 0) << result.output;
  EXPECT_EQ(tree(dest), expectedTree());
}

TEST_F(UnlhaJlhaTest, DamagedCopiesChangeNothing) {
  const std::string good = readFile(native("C:\\WORK\\L2.lzh"));
  const size_t big = good.find("big.txt");
  ASSERT_NE(big, std::string::npos);
  std::string flipped = good;
  flipped[big + 400] = static_cast<char>(flipped[big + 400] ^ 0x55);
  struct Row {
    const char* what;
    std::string bytes;
    int code;
  };
  const Row rows[] = {
      {"empty file", "", UNLHA_ERROR_NOT_ARC_FILE},
      {"cut inside the first header", good.substr(0, 10), UNLHA_ERROR_NOT_ARC_FILE},
      {"cut inside compressed data", good.substr(0, big + 300), UNLHA_ERROR_UNEXPECTED_EOF},
      {"cut inside the last header", good.substr(0, good.size() - 20), UNLHA_ERROR_HEADER_BROKEN},
      {"a flipped byte in -lh5- data", flipped, UNLHA_ERROR_FILE_CRC},
      {"a text file", std::string(3000, 'z'), UNLHA_ERROR_NOT_ARC_FILE},
      {"bytes before the archive", "MZ" + std::string(100, '\x90') + good,
       UNLHA_ERROR_NOT_ARC_FILE},
      {"junk after a member", good.substr(0, good.size() - 1) + "junk!", UNLHA_ERROR_HEADER_BROKEN},
  };
  const std::string dest = native("C:\\Brevan\\NEW_BIN\\out");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    writeFile(native("C:\\WORK\\bad.lzh"), row.bytes);
    const auto result = extract("C:\\WORK\\bad.lzh", "C:\\Brevan\\NEW_BIN\\out");
    EXPECT_EQ(result.code, row.code) << result.output;
    EXPECT_EQ(result.output.rfind("Nothing extracted: ", 0), 0u) << result.output;
    EXPECT_FALSE(fs::exists(dest));
  }
  // Only the end mark missing: still a whole archive.
  writeFile(native("C:\\WORK\\nomark.lzh"), good.substr(0, good.size() - 1));
  EXPECT_EQ(extract("C:\\WORK\\nomark.lzh", "C:\\Brevan\\NEW_BIN\\out").code, 0);
}

TEST_F(UnlhaJlhaTest, CheckArchiveAnswersForHeadersOrForEveryByte) {
  const auto check = UnlhaLibrary::get().checkArchive;
  std::string bad = readFile(native("C:\\WORK\\L2.lzh"));
  const size_t big = bad.find("big.txt");
  bad[big + 400] = static_cast<char>(bad[big + 400] ^ 0x55);
  writeFile(native("C:\\WORK\\crc.lzh"), bad);
  writeFile(native("C:\\WORK\\junk.lzh"), "junk");
  EXPECT_NE(check(toCp932("C:\\WORK\\L0.lzh").c_str(), UNLHA_CHECK_FULLCRC), 0);
  EXPECT_NE(check(toCp932("c:\\work\\l1.LZH").c_str(), UNLHA_CHECK_RAPID), 0);
  EXPECT_NE(check(toCp932("C:\\WORK\\crc.lzh").c_str(), UNLHA_CHECK_BASIC), 0);
  EXPECT_EQ(check(toCp932("C:\\WORK\\crc.lzh").c_str(), UNLHA_CHECK_FULLCRC), 0);
  EXPECT_EQ(check(toCp932("C:\\WORK\\junk.lzh").c_str(), UNLHA_CHECK_RAPID), 0);
  EXPECT_EQ(check(toCp932("C:\\WORK\\none.lzh").c_str(), UNLHA_CHECK_RAPID), 0);
  EXPECT_EQ(check(nullptr, UNLHA_CHECK_RAPID), 0);
}

TEST_F(UnlhaJlhaTest, OutputSizeZeroWritesNothingAndOneOnlyTheTerminator) {
  EXPECT_EQ(extract("C:\\WORK\\L0.lzh", "C:\\Brevan\\NEW_BIN", 0).code, 0);  // fixture checks
  const auto result = extract("C:\\WORK\\L0.lzh", "C:\\Brevan\\NEW_BIN", 1);
  EXPECT_EQ(result.code, 0);
  EXPECT_EQ(result.output, "");
  EXPECT_EQ(UnlhaLibrary::get().unlha(nullptr, "e a b\\", nullptr, 100),
            UNLHA_ERROR_NOT_FIND_ARC_FILE);
}

TEST_F(UnlhaJlhaTest, PathsThatNameNothingUsable) {
  struct Row {
    const char* archive;
    const char* destination;
    int code;
  };
  const Row rows[] = {
      {"C:\\WORK\\none.lzh", "C:\\Brevan\\NEW_BIN", UNLHA_ERROR_NOT_FIND_ARC_FILE},
      {"D:\\WORK\\L0.lzh", "C:\\Brevan\\NEW_BIN", UNLHA_ERROR_NOT_FIND_ARC_FILE},
      {"C:\\WORK", "C:\\Brevan\\NEW_BIN", UNLHA_ERROR_NOT_FIND_ARC_FILE},
      {"WORK\\L0.lzh", "C:\\Brevan\\NEW_BIN", UNLHA_ERROR_NOT_FIND_ARC_FILE},
      {"C:\\WORK\\L0.lzh", "D:\\NEW_BIN", UNLHA_ERROR_MAKEDIRECTORY},
      {"C:\\WORK\\L0.lzh", "C:\\WORK\\L1.lzh\\x", UNLHA_ERROR_MAKEDIRECTORY},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.archive + std::string(" -> ") + row.destination);
    const auto result = extract(row.archive, row.destination);
    EXPECT_EQ(result.code, row.code) << result.output;
    EXPECT_EQ(result.output.rfind("Nothing extracted: ", 0), 0u) << result.output;
  }
  EXPECT_EQ(tree(native("C:\\Brevan\\NEW_BIN")), std::set<std::string>{});
}

TEST_F(UnlhaJlhaTest, CommandLineErrorsAreReported) {
  const auto result = command("e -x0 C:\\WORK\\L0.lzh C:\\Brevan\\NEW_BIN\\");
  EXPECT_EQ(result.code, UNLHA_ERROR_NOT_SUPPORT);
  EXPECT_EQ(result.output, "Command not run: unknown switch.\r\n");
  EXPECT_EQ(UnlhaLibrary::get().unlha(nullptr, nullptr, nullptr, 0), UNLHA_ERROR_COMMAND_NAME);
}

}  // namespace
}  // namespace test
