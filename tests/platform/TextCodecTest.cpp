// The CP932 codec on glibc's iconv: the product's texts, replacement rules, and junk.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/posix/TextCodec_posix.h"

namespace {

platform::posix::IconvTextCodec codec;

std::string hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
    out += ' ';
  }
  return out;
}

// True when the text is well-formed UTF-8 (lead bytes as the codec's output uses them).
bool validUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const size_t n = b < 0x80                   ? 0
                     : (b >= 0xC2 && b <= 0xDF) ? 1
                     : (b >= 0xE0 && b <= 0xEF) ? 2
                     : (b >= 0xF0 && b <= 0xF4) ? 3
                                                : 4;
    if (n == 4 || s.size() - i - 1 < n) return false;
    for (size_t k = 1; k <= n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += n + 1;
  }
  return true;
}

TEST(TextCodecTest, KnownCharactersHaveTheirCp932Bytes) {
  struct Row {
    std::string utf8;
    std::string cp932;
  };
  const Row rows[] = {
      {"表", "\x95\x5C"},  // trail byte '\'
      {"ソ", "\x83\x5C"},
      {"ｷｬﾝｾﾙ", "\xB7\xAC\xDD\xBE\xD9"},  // half-width katakana: one byte each
      {"（）", "\x81\x69\x81\x6A"},
      {"①", "\x87\x40"},   // NEC special character
      {"髙", "\xFB\xFC"},  // IBM extension
      {"～", "\x81\x60"},
      {"C:\\電子納品\\", "C:\\\x93\x64\x8E\x71\x94\x5B\x95\x69\\"},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
      {"", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.utf8);
    EXPECT_EQ(hex(codec.toCp932(row.utf8)), hex(row.cp932));
    EXPECT_EQ(codec.fromCp932(row.cp932), row.utf8);
  }
}

TEST(TextCodecTest, TheProgramsTextsSurviveARoundTrip) {
  const std::string texts[] = {
      "国土交通省電子納品基準",
      "農林水産省電子納品基準",
      "国土交通省（機械設備）",
      "国土交通省（電気通信設備）",
      "徳島県農林水産部",
      "ｷｬﾝｾﾙ",
      "既に同バージョンまたは上位バージョンがインストールされています。\r上書き更新を行いますか？",
      "C:\\電子納品\\表示ソフト\\ソース表\\",
      "【Brevan】アップデートプログラム",
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    EXPECT_EQ(codec.fromCp932(codec.toCp932(text)), text);
  }
}

TEST(TextCodecTest, CharactersCp932LacksBecomeOneQuestionMarkEach) {
  struct Row {
    std::string utf8;
    std::string cp932;
  };
  const Row rows[] = {
      {"a€b", "a?b"},
      {"😀", "?"},  // four bytes, one character
      {"é表", "?\x95\x5C"},
      {"\xFF"
       "a",
       "?a"},             // not UTF-8 at all
      {"\xE8\xA1", "?"},  // cut off at the end
      {"\xE8\xA1"
       "a",
       "?a"},
      {"\xC0\xAF", "??"},     // an overlong slash is not a slash
      {"\xED\xA0\x80", "?"},  // a surrogate
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(hex(row.utf8));
    EXPECT_EQ(hex(codec.toCp932(row.utf8)), hex(row.cp932));
  }
}

TEST(TextCodecTest, InvalidCp932BecomesReplacementCharacters) {
  const std::string fffd = "\xEF\xBF\xBD";
  struct Row {
    std::string cp932;
    std::string utf8;
  };
  const Row rows[] = {
      {"\x80", fffd},
      {"\xA0", fffd},
      {"\xFD\xFE\xFF", fffd + fffd + fffd},
      {"\x81\x0A"
       "x",
       fffd + "\nx"},               // a lead byte without trail keeps the line end
      {"a\x81", "a" + fffd},        // cut off at the end
      {"\x85\x40", fffd},           // a valid pair that maps to nothing: one character
      {"\x81\x7F", fffd + "\x7F"},  // 0x7F is no trail byte
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(hex(row.cp932));
    EXPECT_EQ(hex(codec.fromCp932(row.cp932)), hex(row.utf8));
  }
}

TEST(TextCodecTest, JunkAlwaysConvertsAndEnds) {
  std::string junk;
  uint32_t x = 12345;
  for (int i = 0; i < (1 << 20); ++i) {
    x = x * 1103515245u + 12345u;
    junk += static_cast<char>(x >> 23);
  }
  const std::string utf8 = codec.fromCp932(junk);
  EXPECT_TRUE(validUtf8(utf8));
  EXPECT_GE(utf8.size(), junk.size() / 2);
  const std::string cp932 = codec.toCp932(junk);
  EXPECT_LE(cp932.size(), junk.size());
  // Text from CP932 always goes back to the same characters' bytes where they were valid.
  EXPECT_EQ(codec.toCp932(codec.fromCp932("\x95\x5C\x80\x83\x5C")), "\x95\x5C?\x83\x5C");
}

TEST(TextCodecTest, OneCodecServesSeveralThreads) {
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &failures] {
      for (int i = 0; i < 300; ++i) {
        const std::string text = "表示ソフト" + std::to_string(t * 1000 + i);
        if (codec.fromCp932(codec.toCp932(text)) != text) ++failures[static_cast<size_t>(t)];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures, std::vector<int>(4, 0));
}

}  // namespace
