// The CP932 codec on code page 932: known bytes both ways, what CP932 lacks, and bad bytes.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/TextCodec_win32.h"

namespace {

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

TEST(Win32TextCodec, ConvertsLikeThePosixCodec) {
  platform::win32::Cp932Codec codec;
  const std::string fffd = "\xEF\xBF\xBD";
  struct Row {
    std::string utf8;
    std::string cp932;
    bool roundTrip;
  };
  const Row rows[] = {
      // Both ways.
      {"表", "\x95\x5C", true},
      {"ｷｬﾝｾﾙ", "\xB7\xAC\xDD\xBE\xD9", true},
      {"①髙～", "\x87\x40\xFB\xFC\x81\x60", true},
      {"C:\\電子納品\\", "C:\\\x93\x64\x8E\x71\x94\x5B\x95\x69\\", true},
      {std::string("a\0b", 3), std::string("a\0b", 3), true},
      // What CP932 lacks, and bytes that are not UTF-8: one '?' each, no look-alikes.
      {"a€b😀é", "a?b??", false},
      {"\xE2\x80\x94\xC3\xA0", "??", false},  // em dash and a-grave have best-fit cousins
      {"\xE8\xA1"
       "a\xC0\xAF\xED\xA0\x80",
       "?a???", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(hex(row.utf8));
    EXPECT_EQ(hex(codec.toCp932(row.utf8)), hex(row.cp932));
    if (row.roundTrip) {
      EXPECT_EQ(codec.fromCp932(row.cp932), row.utf8);
    }
  }
  // Bytes that are not CP932 become U+FFFD; a lead byte without its trail byte goes alone.
  EXPECT_EQ(hex(codec.fromCp932("\x80\xA0\xFD\x81\x0A\x85\x40\x81\x7F\x95\x5C\x81")),
            hex(fffd + fffd + fffd + fffd + "\n" + fffd + fffd + "\x7F" + "表" + fffd));
}

}  // namespace
