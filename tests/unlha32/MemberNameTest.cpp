// Stored names: read from each header level, decoded from CP932, checked before writing.
#include "unlha32/MemberName.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include "tests/unlha32/LhaBuilder.h"
#include "unlha32/unlha32.h"

namespace {

using unlha::checkMemberPath;
using unlha::readRawName;
using unlha::storedPath;

// An independent CP932 decoder for the test (glibc's CP932 table keeps 0x5C as '\').
std::string fromCp932(std::string_view bytes) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  std::string in(bytes);
  std::string out(in.size() * 4 + 4, '\0');
  char* src = in.data();
  char* dst = out.data();
  size_t srcLeft = in.size();
  size_t dstLeft = out.size();
  const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1)) return "<invalid>";
  out.resize(out.size() - dstLeft);
  return out;
}

// "表示" and "ソフト" in CP932: 表 is 95 5C and ソ is 83 5C, both ending in a backslash byte.
const std::string kHyouji = "\x95\x5C\x8E\xA6";
const std::string kSofuto = "\x83\x5C\x83\x74\x83\x67";

std::string pathOf(const test::LhaMember& member) {
  const std::string bytes = test::buildLha({member}, false);
  const std::string header = bytes.substr(0, bytes.size() - member.data.size());
  const auto raw =
      readRawName(reinterpret_cast<const uint8_t*>(header.data()), header.size(), member.level);
  return storedPath(raw, fromCp932);
}

test::LhaMember member(int level, std::string file, std::string folder = "",
                       bool isFolder = false) {
  test::LhaMember m;
  m.level = level;
  m.file = std::move(file);
  m.folder = std::move(folder);
  m.isFolder = isFolder;
  return m;
}

TEST(MemberName, StoredPathOfEachHeaderLevel) {
  struct Row {
    const char* what;
    test::LhaMember member;
    std::string path;
  };
  const Row rows[] = {
      {"level 0, plain", member(0, "corins0.0\\A.DAT"), "corins0.0\\A.DAT"},
      {"level 0, 0x5C trail bytes in folder and file", member(0, kSofuto + "\\" + kHyouji + ".txt"),
       "ソフト\\表示.txt"},
      {"level 0, a name that is only 表", member(0, "\x95\x5C"), "表"},
      {"level 1, folder in header 0x02", member(1, kHyouji + ".txt", kSofuto + "\xFF" + "sub\xFF"),
       "ソフト\\sub\\表示.txt"},
      {"level 1, folder header without its last separator", member(1, "a.txt", "dir"),
       "dir\\a.txt"},
      {"level 1, folder header replaces the folder of the name field",
       member(1, "old\\a.txt", "new\xFF"), "new\\a.txt"},
      {"level 2, file and folder headers",
       member(2, kHyouji + ".txt", "corins5.0\xFF" + kSofuto + "\xFF"),
       "corins5.0\\ソフト\\表示.txt"},
      {"level 2, a folder whose name ends in 表", member(2, "x", "\x95\x5C\xFF"), "表\\x"},
      {"level 2, folder member",
       member(2, "",
              "a\xFF"
              "b\xFF",
              true),
       "a\\b\\"},
      {"level 2, traversal kept for the check", member(2, "x", "..\xFF..\xFF"), "..\\..\\x"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(pathOf(row.member), row.path);
  }
}

TEST(MemberName, DamagedHeadersNeverReadOutside) {
  // A level 0 name length past the end of the header.
  std::vector<uint8_t> level0(24, 0);
  level0[0] = 22;
  level0[21] = 200;
  EXPECT_EQ(readRawName(level0.data(), level0.size(), 0).base, "");
  // A level 2 extended header whose size points far past the end.
  std::vector<uint8_t> level2(28, 0);
  level2[0] = 28;
  level2[20] = 2;
  level2[24] = 0xFF;
  level2[25] = 0x7F;
  level2[26] = 0x01;
  level2[27] = 'a';
  const auto raw = readRawName(level2.data(), level2.size(), 2);
  EXPECT_EQ(raw.extFile, "");
  EXPECT_EQ(raw.extDir, "");
  // A level 3 chain with a size of 3, too small for its own size field.
  std::vector<uint8_t> level3(40, 0);
  level3[28] = 3;
  EXPECT_EQ(readRawName(level3.data(), level3.size(), 3).extFile, "");
}

TEST(MemberName, CheckedPaths) {
  struct Row {
    std::string path;
    int error;
    std::vector<std::string> parts;
  };
  const std::string longName(256, 'a');
  const Row rows[] = {
      {"corins0.0\\sub\\a.dat", 0, {"corins0.0", "sub", "a.dat"}},
      {"表示.txt", 0, {"表示.txt"}},
      {"a/b\\c", 0, {"a", "b", "c"}},
      {"a\\\\.\\b\\", 0, {"a", "b"}},
      {"", 0, {}},
      {std::string(255, 'n'), 0, {std::string(255, 'n')}},
      {"..\\x", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"a\\..\\..\\x", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"a/../b", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"\\etc\\passwd", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"/etc/passwd", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"C:\\x", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"C:x", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"a.txt:stream", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"a\\b|c", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"what?.txt", UNLHA_ERROR_UNSAFE_PATH, {}},
      {std::string("nul\0x", 5), UNLHA_ERROR_UNSAFE_PATH, {}},
      {"tab\there", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"..\xEF\xBC\xBC"
       "x",
       0,
       {"..＼x"}},  // a full-width backslash is a letter
      {"dots...", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"...", UNLHA_ERROR_UNSAFE_PATH, {}},
      {".. \\x", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"trailing \\x", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"CON", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"sub\\nul.txt", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"com1.dat", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"console.txt", 0, {"console.txt"}},
      {"com10", 0, {"com10"}},
      {"AUX.htm", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"x\\NUL\\y.htm", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"COM1.gif", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"aux .txt", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"conin$", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"CONOUT$.log", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"lpt9.txt", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"COM0", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"COM\xC2\xB9.txt", UNLHA_ERROR_UNSAFE_PATH, {}},  // COM¹
      {"lpt\xC2\xB3", UNLHA_ERROR_UNSAFE_PATH, {}},      // LPT³
      {"COM\xC2\xB4", 0, {"COM\xC2\xB4"}},               // ´ is no digit
      {"a<b", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"a>b", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"say\"hi\"", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"star*", UNLHA_ERROR_UNSAFE_PATH, {}},
      {"del\x7F", UNLHA_ERROR_UNSAFE_PATH, {}},
      {longName, UNLHA_ERROR_LONG_FILE_NAME, {}},
      {"a\\" + longName, UNLHA_ERROR_LONG_FILE_NAME, {}},
      {std::string(600, 'a') + "\\" + std::string(600, 'b'), UNLHA_ERROR_LONG_FILE_NAME, {}},
  };
  std::vector<Row> table(std::begin(rows), std::end(rows));
  // Every control character, in a folder name and in a file name.
  for (char c = 1; c < 0x20; ++c) {
    table.push_back({std::string("a") + c + "b\\x", UNLHA_ERROR_UNSAFE_PATH, {}});
    table.push_back({std::string("x\\a") + c, UNLHA_ERROR_UNSAFE_PATH, {}});
  }
  for (const Row& row : table) {
    SCOPED_TRACE(::testing::PrintToString(row.path.substr(0, 40)));
    const auto checked = checkMemberPath(row.path);
    EXPECT_EQ(checked.error, row.error) << checked.reason;
    if (row.error == 0) {
      EXPECT_EQ(checked.parts, row.parts);
    } else {
      EXPECT_FALSE(checked.reason.empty());
    }
  }
}

}  // namespace
