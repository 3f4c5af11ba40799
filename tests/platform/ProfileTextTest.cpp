// Profile-file text in CP932 bytes: reading and writing keys as the Windows profile functions do.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/profile/ProfileText.h"

namespace {

using platform::profileNamesEqual;
using platform::readProfileString;
using platform::writeProfileString;

// CP932 bytes of a few characters whose trail byte is ASCII.
const std::string kHyo = "\x95\x5C";           // 表: trail byte '\'
const std::string kSo = "\x83\x5C";            // ソ: trail byte '\'
const std::string kA = "\x83\x41";             // ア: trail byte 'A'
const std::string kSmallA = "\x83\x61";        // ダ: trail byte 'a' (ア with the trail folded)
const std::string kTrailBracket = "\x83\x5D";  // ゾ: trail byte ']'
const std::string kMlit = "\x8D\x91\x93\x79\x8C\xF0\x92\xCA\x8F\xC8";  // 国土交通省

TEST(ProfileTextTest, ReadsValuesAsTheProfileFunctionsDo) {
  const std::string file =
      "; comment\r\n"
      "Orphan=before any section\r\n"
      "[PULUGINLIST]\r\n" +
      kMlit +
      "=1\r\n"
      "  Spaced Key  =   0x1  \r\n"
      "Quoted=\"  kept blanks  \"\r\n"
      "Single='x'\r\n"
      "Unpaired=\"x\r\n"
      "OnlyQuote=\"\r\n"
      "Empty=\r\n"
      "Equals=a=b\r\n"
      "NoEquals\r\n"
      "Dup=first\r\n"
      "Dup=second\r\n"
      "[ Other ]\r\n"
      "Key=other\r\n"
      "[pulugInList]\r\n"
      "Late=second section of the name\r\n"
      "[MediaLabelPrintSet]\nSettingNameCount=0\n"  // LF only
      "[" +
      kHyo + kSo + "]\r\n" + kHyo + "=" + kSo +
      "\r\n"
      "[" +
      kTrailBracket +
      "]\r\nK=trail bracket\r\n"
      "[Last]\r\nNoLineEnd=yes";
  struct Row {
    std::string section;
    std::string key;
    std::optional<std::string> value;
  };
  const Row rows[] = {
      {"PULUGINLIST", kMlit, "1"},
      {"puluginlist", "spaced key", "0x1"},
      {" PULUGINLIST ", "  Spaced Key ", "0x1"},
      {"PULUGINLIST", "Quoted", "  kept blanks  "},
      {"PULUGINLIST", "Single", "x"},
      {"PULUGINLIST", "Unpaired", "\"x"},
      {"PULUGINLIST", "OnlyQuote", "\""},
      {"PULUGINLIST", "Empty", ""},
      {"PULUGINLIST", "Equals", "a=b"},
      {"PULUGINLIST", "NoEquals", std::nullopt},
      {"PULUGINLIST", "Dup", "first"},
      {"PULUGINLIST", "Late", std::nullopt},  // only the first section of a name counts
      {"PULUGINLIST", "Orphan", std::nullopt},
      {"PULUGINLIST", "Missing", std::nullopt},
      {"Other", "Key", "other"},
      {"Missing", "Key", std::nullopt},
      {"MediaLabelPrintSet", "SettingNameCount", "0"},
      {kHyo + kSo, kHyo, kSo},
      {kTrailBracket, "K", "trail bracket"},
      {"Last", "NoLineEnd", "yes"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.section + " / " + row.key);
    EXPECT_EQ(readProfileString(file, row.section, row.key), row.value);
  }
}

TEST(ProfileTextTest, NamesCompareDoubleByteCharactersWhole) {
  struct Row {
    std::string a;
    std::string b;
    bool equal;
  };
  const Row rows[] = {
      {"PULUGINLIST", "pulugInList", true},
      {"a", "b", false},
      {"ab", "a", false},
      {kA, kA, true},
      {kA, kSmallA, false},  // the trail byte is no letter of its own
      {kHyo, kSo, false},
      {"x" + kA, "X" + kA, true},
      {"\x83", "\x83", true},   // a lead byte cut off at the end
      {"\xC1", "\xE1", false},  // bytes above 0x7F are never folded
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.a + " / " + row.b);
    EXPECT_EQ(profileNamesEqual(row.a, row.b), row.equal);
  }
}

TEST(ProfileTextTest, WritesKeepEveryOtherByte) {
  struct Row {
    const char* name;
    std::string before;
    std::string section;
    std::string key;
    std::string value;
    std::string after;
  };
  const Row rows[] = {
      {"missing file", "", "PULUGINLIST", "A", "1", "[PULUGINLIST]\r\nA=1\r\n"},
      {"replace in place", "[S]\r\nA = old \r\nB=2\r\n", "s", "a", "new",
       "[S]\r\nA=new\r\nB=2\r\n"},
      {"replace keeps an LF line end", "[S]\nA=old\nB=2\n", "S", "A", "1", "[S]\nA=1\nB=2\n"},
      {"replace a last line without end", "[S]\r\nA=old", "S", "A", "1", "[S]\r\nA=1"},
      {"add after the section's last line", "[S]\r\nA=1\r\n\r\n[T]\r\nX=1\r\n", "S", "B", "2",
       "[S]\r\nA=1\r\nB=2\r\n\r\n[T]\r\nX=1\r\n"},
      {"add to an empty section", "[S]\r\n[T]\r\n", "S", "B", "2", "[S]\r\nB=2\r\n[T]\r\n"},
      {"add to a last section without line end", "[S]\r\nA=1", "S", "B", "2",
       "[S]\r\nA=1\r\nB=2\r\n"},
      {"add to a header without line end", "[S]", "S", "B", "2", "[S]\r\nB=2\r\n"},
      {"add after a last line ending in a lone CR", "[S]\r\nA=1\r", "S", "B", "2",
       "[S]\r\nA=1\r\r\nB=2\r\n"},
      {"new section at the end", "[S]\r\nA=1\r\n", "T", "B", "2", "[S]\r\nA=1\r\n[T]\r\nB=2\r\n"},
      {"new section after a text without line end", "[S]\nA=1", "T", "B", "2",
       "[S]\nA=1\r\n[T]\r\nB=2\r\n"},
      {"only the first section of a name", "[S]\r\n[X]\r\n[S]\r\nA=1\r\n", "S", "A", "2",
       "[S]\r\nA=2\r\n[X]\r\n[S]\r\nA=1\r\n"},
      {"double-byte names", "[" + kHyo + "]\r\n" + kSo + "=1\r\n", kHyo, kSo, kHyo,
       "[" + kHyo + "]\r\n" + kSo + "=" + kHyo + "\r\n"},
      {"a bracket trail byte in the section name", "", kTrailBracket, "K", "1",
       "[" + kTrailBracket + "]\r\nK=1\r\n"},
      {"junk bytes kept", std::string("\xFF\x00\x81[S]\r\n", 8) + "A=1\r\n\x80\x82", "S", "A", "0",
       std::string("\xFF\x00\x81[S]\r\n", 8) + "A=1\r\n\x80\x82\r\n[S]\r\nA=0\r\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto written = writeProfileString(row.before, row.section, row.key, row.value);
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, row.after);
    EXPECT_EQ(readProfileString(*written, row.section, row.key), row.value);
  }
}

TEST(ProfileTextTest, RefusesNamesAndValuesTheFileCannotHold) {
  const std::string base = "[S]\r\nA=1\r\n";
  struct Row {
    const char* name;
    std::string section;
    std::string key;
    std::string value;
  };
  const Row rows[] = {
      {"empty section", "", "A", "1"},
      {"blank section", "  ", "A", "1"},
      {"empty key", "S", "", "1"},
      {"line break in value", "S", "A", "1\r\n[X]"},
      {"line feed in key", "S", "A\nB", "1"},
      {"NUL in value", "S", "A", std::string("1\0", 2)},
      {"= in key", "S", "A=B", "1"},
      {"[ opening the key", "S", " [A", "1"},
      {"a cut-off lead byte", "S\x83", "A", "1"},
      {"] in section", "S]", "A", "1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(writeProfileString(base, row.section, row.key, row.value), std::nullopt);
  }
}

TEST(ProfileTextTest, DamagedFilesNeverBreakReadingOrWriting) {
  std::string junk;
  for (int i = 0; i < 300000; ++i) junk += static_cast<char>((i * 2654435761u >> 13) & 0xFF);
  struct Row {
    const char* name;
    std::string bytes;
  };
  const Row rows[] = {
      {"binary junk", junk},
      {"one line of 1 MB", std::string(1 << 20, 'x')},
      {"a 1 MB header", "[" + std::string(1 << 20, 'S')},
      {"1 MB of line ends", std::string(1 << 20, '\n')},
      {"1 MB of lead bytes", std::string(1 << 20, '\x81')},
      {"invalid CP932", "[S]\r\nA=\x81\x0A\xFF\xFD\r\n"},
      {"NULs", std::string(1000, '\0')},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    (void)readProfileString(row.bytes, "S", "A");
    auto written = writeProfileString(row.bytes, "PULUGINLIST", kMlit, "1");
    ASSERT_TRUE(written);
    EXPECT_EQ(written->compare(0, row.bytes.size(), row.bytes), 0);  // nothing before it lost
    EXPECT_EQ(readProfileString(*written, "PULUGINLIST", kMlit), "1");
  }
}

}  // namespace
