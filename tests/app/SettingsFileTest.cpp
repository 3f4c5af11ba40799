// The settings file's reading rules and the four lines the window writes.
#include <gtest/gtest.h>

#include "app/SettingsFile.h"

namespace {

TEST(SettingsFile, ReadsKeysInAnyOrderAndCase) {
  auto s = app::parseSettings(
      "ver=1.0\r\nextra "
      "line\nPath=C:\\VALTERN\\BREVAN\\\rproxyport=8080\r\nProxyIP=proxy.local\r\n");
  EXPECT_EQ(s.proxyIP, "proxy.local");
  EXPECT_EQ(s.proxyPort, 8080);
  EXPECT_EQ(s.path, "C:\\VALTERN\\BREVAN\\");
  EXPECT_EQ(s.version, "1.0");
}

TEST(SettingsFile, TakesTheFirstMatchingLineAndKeepsBlanks) {
  EXPECT_EQ(app::settingValue("PATH=first\r\nPATH=second\r\n", "PATH"), "first");
  EXPECT_EQ(app::settingValue("PATH= spaced \r\n", "PATH"), " spaced ");
  // A blank before '=' is part of the key.
  EXPECT_EQ(app::settingValue("PATH =x\r\n", "PATH"), "");
  EXPECT_EQ(app::settingValue("PATH=a=b\r\n", "PATH"), "a=b");
  EXPECT_EQ(app::settingValue(std::string("PATH=cut\0PATH2=x", 16), "PATH"), "cut");
  EXPECT_EQ(app::settingValue(std::string("A=1\0PATH=hidden", 15), "PATH"), "");
  EXPECT_EQ(app::settingValue("PATH", "PATH"), "");
  EXPECT_EQ(app::settingValue("=value", ""), "value");
}

TEST(SettingsFile, PortOutsideTheRangeMeansDirect) {
  struct Row {
    const char* value;
    uint16_t port;
  } rows[] = {{"8080", 8080},   {"8080-", 0}, {"65535", 65535}, {"65536", 0},
              {"8080.9", 8080}, {"", 0},      {"junk", 0},      {"99999999999999999999", 0}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.value);
    EXPECT_EQ(app::parseSettings(std::string("PROXYPORT=") + r.value + "\r\n").proxyPort, r.port);
  }
}

TEST(SettingsFile, MissingKeysGiveEmptyText) {
  auto s = app::parseSettings("");
  EXPECT_EQ(s.proxyIP, "");
  EXPECT_EQ(s.proxyPort, 0);
  EXPECT_EQ(s.path, "");
  EXPECT_EQ(s.version, "");
}

TEST(SettingsFile, DamagedTextDoesNotBreakReading) {
  // Bytes of no code page, a megabyte without a line end, and a key of broken bytes: each line
  // is read for what it holds.
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>(0x80 + (i * 37) % 0x80);
  auto s = app::parseSettings(junk + "\nPROXYIP=p\xFFq\r\n" + std::string(1 << 20, 'x') +
                              "\rPATH=D:\\B\\\r\n\xFF\xFE=VER\r\n");
  EXPECT_EQ(s.proxyIP, "p\xFFq");
  EXPECT_EQ(s.path, "D:\\B\\");
  EXPECT_EQ(s.proxyPort, 0);
  EXPECT_EQ(s.version, "");
}

TEST(SettingsFile, WritesFourLinesWithCrLf) {
  EXPECT_EQ(app::settingsText({"", 0, "C:\\VALTERN\\BREVAN\\", "0.0.0"}),
            "PROXYIP=\r\nPROXYPORT=0\r\nPATH=C:\\VALTERN\\BREVAN\\\r\nVER=0.0.0\r\n");
}

}  // namespace
