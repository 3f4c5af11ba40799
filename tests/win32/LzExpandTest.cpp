// SZDD expansion with the system's LZ functions, on files made by Debian's mscompress.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/LzExpand_win32.h"
#include "platform/win32/WideText.h"
#include "tests/win32/ScratchFolder.h"

namespace {

using win32test::readFile;
using win32test::writeFile;

TEST(Win32LzExpand, ExpandsCopiesAndRefusesWhatTheLinuxBuildRefuses) {
  platform::LastError lastError;
  platform::win32::Win32LzExpand lz(lastError);
  win32test::ScratchFolder dir;
  const std::string fixtures = win32test::programFolder() + "\\fixtures\\";
  const std::string help = readFile(fixtures + "HELP.TXT");
  ASSERT_EQ(help.size(), 9000u);

  // Compressed, between Japanese names (which the LZ functions' own open call would pass
  // through the system code page), replacing what was there.
  writeFile(dir / "圧縮.TX_", readFile(fixtures + "HELP.TX_"));
  writeFile(dir / "表示.TXT", "old");
  ASSERT_TRUE(lz.expand(dir / "圧縮.TX_", dir / "表示.TXT"));
  EXPECT_EQ(readFile(dir / "表示.TXT"), help);
  // Not compressed: copied as it stands, also onto itself.
  writeFile(dir / "PLAIN.TXT", "SZDD but not quite");
  ASSERT_TRUE(lz.expand(dir / "PLAIN.TXT", dir / "PLAIN.TXT"));
  EXPECT_EQ(readFile(dir / "PLAIN.TXT"), "SZDD but not quite");

  struct Row {
    const char* what;
    std::string source;
    std::string target;
    int code;
    const char* left;  // what the target holds after
  };
  writeFile(dir / "RO.TXT", "ro");
  ::SetFileAttributesW(platform::win32::widen(dir / "RO.TXT").c_str(), FILE_ATTRIBUTE_READONLY);
  writeFile(dir / "METHOD.TX_", std::string("SZDD\x88\xF0\x27\x33Q\0\x05\0\0\0abcde", 19));
  const Row rows[] = {
      {"cut short", fixtures + "CUT.TX_", dir / "CUT.TXT", 13, "<missing>"},
      {"unknown method", dir / "METHOD.TX_", dir / "表示.TXT", 13, "<missing>"},
      {"read-only target", fixtures + "HELP.TX_", dir / "RO.TXT", 5, "ro"},
      {"missing source", dir / "NO.TX_", dir / "OUT.TXT", 2, "<missing>"},
      {"missing folder", dir / "NO\\A.TX_", dir / "OUT.TXT", 3, "<missing>"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    lastError.set(0);
    EXPECT_EQ(lz.expand(row.source, row.target).error, row.code);
    EXPECT_EQ(lastError.get(), row.code);
    EXPECT_EQ(readFile(row.target), row.left);
  }
}

}  // namespace
