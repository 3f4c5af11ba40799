// The help merge on a real machine folder: byte-exact files, time stamps, errors, hostile paths.
#include "install/HelpMerge.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Errors.h"
#include "install/HelpMergeParser.h"
#include "tests/doubles/FakeView.h"
#include "tests/doubles/TempMachine.h"

namespace {

namespace fs = std::filesystem;

// The markers as the merge files carry them ("■" is 0x81 0xA1 in CP932), written out here so
// that a changed marker in the program shows.
const std::string kStart = "\x81\xA1#HELP_FILE_START#\x81\xA1";
const std::string kEnd = "\x81\xA1#HELP_FILE_END#\x81\xA1";

// One block of the merge file; `eol` ends every line.
std::string block(const std::string& path, const std::string& time,
                  const std::vector<std::string>& lines, const std::string& eol = "\r\n") {
  std::string s = kStart + eol + path + eol + time + eol;
  for (const auto& l : lines) s += l + eol;
  return s + kEnd + eol;
}

// DOS date and time of a local wall-clock moment.
uint32_t dosTime(int year, int month, int day, int hour, int minute, int second) {
  return static_cast<uint32_t>(((year - 1980) << 25) | (month << 21) | (day << 16) | (hour << 11) |
                               (minute << 5) | (second / 2));
}

// The same moment as seconds since the epoch, for Tokyo (UTC+9, no summer time).
time_t tokyoTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm utc{};
  utc.tm_year = year - 1900;
  utc.tm_mon = month - 1;
  utc.tm_mday = day;
  utc.tm_hour = hour;
  utc.tm_min = minute;
  utc.tm_sec = second;
  return ::timegm(&utc) - 9 * 3600;
}

class HelpMerge : public testing::Test {
 protected:
  // "ヘルプ" in UTF-8, as the help step names the folder.
  const std::string kFolder = "C:\\APP\\NEW_BIN\\\xE3\x83\x98\xE3\x83\xAB\xE3\x83\x97";
  const std::string kSource = "C:\\TEMP\\BrvNewUp\\MERGEHELP.INI";

  void SetUp() override { ASSERT_TRUE(files().createFolders(kFolder).ok()); }

  platform::FileSystem& files() { return machine.services().files; }
  // Writes the merge file and runs the merge over it.
  bool merge(const std::string& bytes, const std::string& folder = "") {
    machine.put(kSource, bytes);
    return install::MergeHelpFile(files(), machine.services().codec, view, kSource,
                                  folder.empty() ? kFolder : folder);
  }
  std::string help(const std::string& name) const { return kFolder + "\\" + name; }
  // The error text of a merge that must fail.
  std::string failure(const std::string& bytes) {
    try {
      merge(bytes);
    } catch (const BrevanError& e) {
      return e.what();
    }
    ADD_FAILURE() << "no error";
    return {};
  }
  time_t modified(const std::string& windowsPath) const {
    struct stat st {};
    EXPECT_EQ(::stat(machine.native(windowsPath).c_str(), &st), 0) << windowsPath;
    return st.st_mtime;
  }
  // Every regular file under the machine folder, by native name.
  std::vector<std::string> allNames() const {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(machine.prefix())) {
      if (e.is_regular_file()) names.push_back(e.path().filename());
    }
    return names;
  }

  test::FakeView view;
  test::TempMachine machine{view};
};

TEST_F(HelpMerge, PagesAreWrittenAsTheyStandWithCrLf) {
  // CP932 content (ヘルプ, and 表 whose trail byte is '\'), blanks and tabs kept as they are.
  const std::vector<std::string> lines = {
      "<html>", "\x83\x77\x83\x8B\x83\x76 \x95\x5C", "", "\tindented  ", " " + kStart, "</html>"};
  std::string expected;
  for (const auto& l : lines) expected += l + "\r\n";
  for (const char* name : {"a.htm", "b.HTML", "c.Css", "d.js"}) {
    for (const char* eol : {"\r\n", "\n", "\r"}) {
      SCOPED_TRACE(std::string(name) + " " + testing::PrintToString(std::string(eol)));
      EXPECT_TRUE(merge(block(name, "0", lines, eol)));
      EXPECT_EQ(machine.get(help(name)), expected);
    }
  }
}

TEST_F(HelpMerge, OtherFilesAreDecodedFromHexadecimal) {
  struct Row {
    const char* name;
    std::string hex;
    std::string bytes;
  };
  const Row rows[] = {
      {"a.gif", "474946383961", "GIF89a"},
      {"b.GIF", "00ff7F80aBcD", std::string("\x00\xFF\x7F\x80\xAB\xCD", 6)},
      {"c.txt", " \t4142  ", "AB"},  // blanks around are dropped
      {"d.png", "41424", "AB"},      // a last odd digit is ignored
      {"noext", "30", "0"},
      {"e.htm.bak", "31", "1"},
      {"f.jpg", "", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_TRUE(merge(block(row.name, "0", {row.hex})));
    EXPECT_EQ(machine.get(help(row.name)), row.bytes);
  }
}

TEST_F(HelpMerge, BlocksWithoutContentGiveEmptyFiles) {
  EXPECT_TRUE(merge(block("e.htm", "0", {}) + block("e.gif", "0", {}) + kStart + "\r\nf.htm\r\n" +
                    kEnd + "\r\n"));
  for (const char* name : {"e.htm", "e.gif", "f.htm"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(machine.has(help(name)));
    EXPECT_EQ(machine.get(help(name)), "");
  }
  EXPECT_EQ(view.processCount, 3);
}

TEST_F(HelpMerge, NothingIsWrittenForEmptyOrOpenBlocks) {
  const std::vector<std::string> before = allNames();
  EXPECT_TRUE(merge(kStart + "\r\n" + kEnd + "\r\n" + "outside\r\n" + kStart +
                    "\r\nopen.htm\r\n0\r\n"
                    "text\r\n"));
  EXPECT_EQ(allNames().size(), before.size() + 1) << "only the merge file itself was added";
  EXPECT_FALSE(machine.has(help("open.htm")));
  EXPECT_EQ(view.processCount, 0);
}

TEST_F(HelpMerge, SubFoldersAreCreated) {
  EXPECT_TRUE(merge(block("img\\icons\\a.gif", "0", {"41"}) + block("css/site.css", "0", {"x"})));
  EXPECT_EQ(machine.get(help("img\\icons\\a.gif")), "A");
  EXPECT_EQ(machine.get(help("css\\site.css")), "x\r\n");
}

TEST_F(HelpMerge, Cp932PathIsDecodedBeforeItIsSplit) {
  // 表示.htm: the trail byte of 表 is 0x5C, which must not split the name.
  EXPECT_TRUE(merge(block("\x95\x5C\x8E\xA6.htm", "0", {"p"})));
  EXPECT_EQ(machine.get(help("\xE8\xA1\xA8\xE7\xA4\xBA.htm")), "p\r\n");
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(machine.native(kFolder))) ++entries;
  EXPECT_EQ(entries, 1u);
}

TEST_F(HelpMerge, TimeStampIsDosLocalTime) {
  ASSERT_STREQ(std::getenv("TZ"), "Asia/Tokyo");
  // 2004-03-15 12:34:56 in Tokyo (UTC+9, no summer time).
  const uint32_t stamp = dosTime(2004, 3, 15, 12, 34, 56);
  EXPECT_TRUE(merge(block("t.htm", std::to_string(stamp), {"x"}) +
                    block("t.gif", std::to_string(stamp), {"41"})));
  const time_t expected = tokyoTime(2004, 3, 15, 12, 34, 56);
  EXPECT_EQ(modified(help("t.htm")), expected);
  EXPECT_EQ(modified(help("t.gif")), expected);
}

TEST_F(HelpMerge, TimeOfADiscardedBlockStaysInForce) {
  const uint32_t stamp = dosTime(2010, 1, 2, 3, 4, 6);
  EXPECT_TRUE(merge(kStart + "\r\nold.htm\r\n" + std::to_string(stamp) + "\r\nlost\r\n" + kStart +
                    "\r\nnew.htm\r\n" + kEnd + "\r\n"));
  EXPECT_FALSE(machine.has(help("old.htm")));
  EXPECT_EQ(machine.get(help("new.htm")), "");
  EXPECT_EQ(modified(help("new.htm")), tokyoTime(2010, 1, 2, 3, 4, 6));
}

TEST_F(HelpMerge, InvalidTimeStampIsIgnored) {
  const time_t before = std::time(nullptr);
  // 0 has month 0 and day 0; 4294967295 has month 15.
  EXPECT_TRUE(merge(block("z.htm", "0", {"x"}) + block("m.gif", "4294967295", {"41"})));
  EXPECT_GE(modified(help("z.htm")), before - 1);
  EXPECT_GE(modified(help("m.gif")), before - 1);
}

TEST_F(HelpMerge, BadTimeLineEndsTheMergeKeepingEarlierFiles) {
  EXPECT_EQ(failure(block("a.htm", "1", {"x"}) + block("b.htm", "12:00", {"y"}) +
                    block("c.htm", "1", {"z"})),
            "'12:00' は整数ではありません");
  EXPECT_TRUE(machine.has(help("a.htm")));
  EXPECT_FALSE(machine.has(help("b.htm")));
  EXPECT_FALSE(machine.has(help("c.htm")));
  // The line is shown decoded (あい), with a control character as '?'.
  EXPECT_EQ(failure(block("d.htm", "\x82\xA0\x82\xA2\x01", {})),
            "'\xE3\x81\x82\xE3\x81\x84?' は整数ではありません");
}

TEST_F(HelpMerge, BadHexadecimalEndsTheMergeKeepingEarlierFiles) {
  EXPECT_EQ(failure(block("a.gif", "0", {"41"}) + block("b.gif", "0", {"414G43"}) +
                    block("c.gif", "0", {"41"})),
            "'4G' は有効な16進数ではありません");
  EXPECT_EQ(machine.get(help("a.gif")), "A");
  EXPECT_FALSE(machine.has(help("b.gif"))) << "no half-decoded file";
  EXPECT_FALSE(machine.has(help("c.gif")));
  // Binary content on two lines puts CR LF into the hexadecimal text.
  EXPECT_EQ(failure(block("d.gif", "0", {"41", "42"})),
            "'\\x0D\\x0A' は有効な16進数ではありません");
  EXPECT_FALSE(machine.has(help("d.gif")));
}

TEST_F(HelpMerge, PathsLeavingTheHelpFolderAreSkipped) {
  const char* paths[] = {
      "..\\evil.htm",
      "..\\..\\evil.gif",
      "sub\\..\\..\\evil.htm",
      "../evil.htm",
      "sub/../../evil.htm",
      "\\evil.htm",
      "/evil.htm",
      "C:\\evil.htm",
      "c:evil.htm",
      "...\\evil.htm",
      ". .\\evil.htm",
      "..",
      "sub\\",
      "",
      "evil.htm:stream",
      "evil\x01.htm",
      "evil\x1F.htm",
      // Names Windows reads as devices, or cuts short, or refuses.
      "CON",
      "AUX.htm",
      "x\\NUL\\y.htm",
      "COM1.gif",
      "lpt9.css",
      "conin$.js",
      "a<b.htm",
      "a>b.htm",
      "a\"b.htm",
      "a*.htm",
      "ok.htm.",
      "ok.htm ",
      "sub.\\ok.htm",
  };
  const std::string longName = std::string(252, 'n') + ".gif";
  std::vector<std::string> rows(std::begin(paths), std::end(paths));
  rows.push_back(longName);
  const std::string helpNative = machine.native(kFolder);
  for (const std::string& path : rows) {
    SCOPED_TRACE(testing::PrintToString(path.substr(0, 40)));
    EXPECT_TRUE(merge(block("ok.htm", "0", {"fine"}) + block(path, "0", {"41"})));
    std::vector<std::string> entries;
    for (const auto& e : fs::recursive_directory_iterator(helpNative)) {
      entries.push_back(fs::relative(e.path(), helpNative));
    }
    EXPECT_EQ(entries, std::vector<std::string>{"ok.htm"});
    EXPECT_EQ(machine.get(help("ok.htm")), "fine\r\n");
    for (const auto& name : allNames()) EXPECT_EQ(name.find("evil"), std::string::npos) << name;
    ASSERT_TRUE(files().deleteFile(help("ok.htm")).ok());
  }
}

// The scratch file lives beside the help folder, so a block may carry its name in any case.
TEST_F(HelpMerge, BlocksNamedLikeTheScratchFileAreWritten) {
  EXPECT_TRUE(merge(block("~MERGE~.TMP", "0", {"4142"}) + block("a.htm", "0", {"page"}) +
                    block("sub\\~merge~.tmp", "0", {"43"})));
  EXPECT_EQ(machine.get(help("~MERGE~.TMP")), "AB");
  EXPECT_EQ(machine.get(help("a.htm")), "page\r\n");
  EXPECT_EQ(machine.get(help("sub\\~merge~.tmp")), "C");
  EXPECT_FALSE(files().fileExists("C:\\APP\\NEW_BIN\\~MERGE~.TMP"));
}

TEST_F(HelpMerge, FolderThatCannotBeCreatedSkipsTheBlock) {
  machine.put(help("sub"), "a file where the folder should be");
  EXPECT_TRUE(merge(block("sub\\a.htm", "0", {"x"}) + block("b.htm", "0", {"y"})));
  EXPECT_EQ(machine.get(help("b.htm")), "y\r\n");
  EXPECT_EQ(view.processCount, 2);
}

TEST_F(HelpMerge, ExistingFilesAreReplacedUnlessReadOnly) {
  machine.put(help("a.htm"), "old page, longer than the new one");
  EXPECT_TRUE(merge(block("a.htm", "0", {"new"})));
  EXPECT_EQ(machine.get(help("a.htm")), "new\r\n");
  machine.setReadOnly(help("a.htm"), true);
  EXPECT_EQ(failure(block("a.htm", "0", {"newer"})),
            "ファイル \"" + help("a.htm") + "\" を作成できません。");
  EXPECT_EQ(machine.get(help("a.htm")), "new\r\n");
}

TEST_F(HelpMerge, MissingMergeFileRaisesAFileError) {
  EXPECT_THROW(
      {
        try {
          install::MergeHelpFile(files(), machine.services().codec, view, "C:\\TEMP\\NONE.INI",
                                 kFolder);
        } catch (const BrevanError& e) {
          EXPECT_STREQ(e.what(), "ファイル \"C:\\TEMP\\NONE.INI\" を開けません。");
          throw;
        }
      },
      BrevanError);
}

TEST_F(HelpMerge, FolderWithTrailingBackslashGivesTheSameFiles) {
  EXPECT_TRUE(merge(block("a.htm", "0", {"x"}), kFolder + "\\"));
  EXPECT_EQ(machine.get(help("a.htm")), "x\r\n");
}

TEST_F(HelpMerge, MegabyteLines) {
  std::string page(1 << 20, 'p');
  std::string picture;
  std::string hex;
  for (int k = 0; k < (1 << 19); ++k) {
    picture += static_cast<char>(k * 7);
    static constexpr char kDigits[] = "0123456789abcdef";
    hex += kDigits[(k * 7 >> 4) & 0xF];
    hex += kDigits[(k * 7) & 0xF];
  }
  EXPECT_TRUE(merge(block("big.htm", "0", {page}) + block("big.bmp", "0", {hex})));
  EXPECT_EQ(machine.get(help("big.htm")).size(), page.size() + 2);
  EXPECT_TRUE(machine.get(help("big.bmp")) == picture);
}

TEST(HexTextToFile, BytesOfTheText) {
  test::FakeView view;
  test::TempMachine machine{view};
  platform::FileSystem& files = machine.services().files;
  const struct {
    const char* text;
    std::string bytes;
  } rows[] = {
      {"", ""}, {" \t\r\n", ""}, {"4", ""}, {"41", "A"}, {"\r\n4142\r\n", "AB"}, {"6a6B", "jk"},
  };
  ASSERT_TRUE(files.createFolders("C:\\H").ok());
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::PrintToString(std::string(row.text)));
    install::HexTextToFile(files, row.text, "C:\\H\\x.bin");
    EXPECT_TRUE(machine.get("C:\\H\\x.bin") == row.bytes);
  }
  // A blank inside the text is not a digit; the file is left as it was.
  try {
    install::HexTextToFile(files, "41 42", "C:\\H\\x.bin");
    ADD_FAILURE() << "no error";
  } catch (const BrevanError& e) {
    EXPECT_STREQ(e.what(), "' 4' は有効な16進数ではありません");
  }
  EXPECT_EQ(machine.get("C:\\H\\x.bin"), "jk");
}

}  // namespace
