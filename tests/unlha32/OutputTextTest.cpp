// The report in the caller's buffer: never more than the size given, never half a character.
#include "unlha32/OutputText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using unlha::putOutput;

TEST(OutputText, FitsTheSizeGivenWithItsTerminator) {
  struct Row {
    std::string text;
    unsigned size;
    std::string expected;
  };
  const std::string hyouji = "\x95\x5C\x8E\xA6";  // 表示 in CP932
  const Row rows[] = {
      {"abc", 1, ""},
      {"abc", 2, "a"},
      {"abc", 4, "abc"},
      {"abc", 100, "abc"},
      {"", 5, ""},
      // A double-byte character that does not fit whole is left out.
      {"a" + hyouji, 3, "a"},
      {"a" + hyouji, 4, "a\x95\x5C"},
      {"a" + hyouji, 5, "a\x95\x5C"},
      {"a" + hyouji, 6, "a" + hyouji},
      // Half-width katakana (0xA1-0xDF) are single bytes.
      {"\xB1\xB2\xB3", 3, "\xB1\xB2"},
      // A lead byte at the very end has no partner: dropped.
      {"ab\x95", 10, "ab"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.size << " " << row.text.size());
    std::string buffer(row.size + 8, '#');
    putOutput(row.text, buffer.data(), row.size);
    EXPECT_EQ(std::string(buffer.c_str()), row.expected);
    EXPECT_EQ(buffer.substr(row.size), std::string(8, '#')) << "wrote past the size";
  }
}

TEST(OutputText, SizeZeroOrNoBufferWritesNothing) {
  std::string buffer(4, '#');
  putOutput("abc", buffer.data(), 0);
  EXPECT_EQ(buffer, "####");
  putOutput("abc", nullptr, 10);  // no crash
}

TEST(OutputText, LongReportStopsAt254OfThe255Bytes) {
  const std::string text(1000, 'x');
  std::string buffer(255, '#');
  putOutput(text, buffer.data(), 254);
  EXPECT_EQ(std::string(buffer.c_str()).size(), 253u);
  EXPECT_EQ(buffer[253], '\0');
  EXPECT_EQ(buffer[254], '#');
}

}  // namespace
