// The Win32 file system: Japanese names both ways, the rules of the interface, and every
// refusal with the code the program reports.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "platform/win32/FileSystem_win32.h"
#include "platform/win32/WideText.h"
#include "tests/win32/ScratchFolder.h"

namespace {

using platform::Status;
using win32test::attributesOf;
using win32test::readFile;
using win32test::writeFile;

class Win32FileSystemTest : public ::testing::Test {
 protected:
  platform::LastError lastError;
  platform::win32::Win32FileSystem files{lastError};
  win32test::ScratchFolder dir;
};

// The local DOS date and time of a file's last write.
uint32_t dosTimeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ::GetFileAttributesExW(platform::win32::widen(path).c_str(), GetFileExInfoStandard, &data);
  SYSTEMTIME utc{};
  SYSTEMTIME local{};
  FILETIME localTime{};
  ::FileTimeToSystemTime(&data.ftLastWriteTime, &utc);
  ::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
  ::SystemTimeToFileTime(&local, &localTime);
  WORD date = 0;
  WORD time = 0;
  ::FileTimeToDosDateTime(&localTime, &date, &time);
  return static_cast<uint32_t>(date) << 16 | time;
}

TEST_F(Win32FileSystemTest, WorksOnJapaneseNamesAndKeepsWhatTheInterfacePromises) {
  const std::string folder = dir / "電子納品\\表示ソフト";
  ASSERT_TRUE(files.createFolders(folder + "\\"));
  const std::string file = folder + "\\ソース表.TXT";
  ASSERT_TRUE(files.writeFile(file, std::string("a\0b", 3)));
  EXPECT_EQ(files.readFile(file), std::string("a\0b", 3));
  EXPECT_EQ(files.fileSize(file), 3u);
  // In pieces, straight to and from the disk.
  auto writer = files.createForWriting(dir / "PIECES.BIN");
  ASSERT_NE(writer, nullptr);
  ASSERT_TRUE(writer->write("ab", 2));
  ASSERT_TRUE(writer->write("cd", 2));
  ASSERT_TRUE(writer->close());
  auto reader = files.openForReading(dir / "PIECES.BIN");
  ASSERT_NE(reader, nullptr);
  char piece[3] = {};
  EXPECT_EQ(reader->read(piece, 3), 3u);
  EXPECT_EQ(reader->read(piece, 3), 1u);
  EXPECT_EQ(reader->read(piece, 3), 0u);
  EXPECT_EQ(piece[0], 'd');
  // A hidden file is rewritten in place and replaced atomically, staying hidden.
  ASSERT_TRUE(files.setAttributes(file, platform::kAttrHidden));
  ASSERT_TRUE(files.writeFile(file, "second"));
  ASSERT_TRUE(files.replaceFileAtomically(file, "third"));
  EXPECT_EQ(readFile(file), "third");
  EXPECT_EQ(attributesOf(file) & FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN);
  // A copy replaces its target; a rename may change only the letter case.
  writeFile(dir / "OLD.TXT", "old");
  ASSERT_TRUE(files.copyFile(file, dir / "OLD.TXT", false));
  EXPECT_EQ(readFile(dir / "OLD.TXT"), "third");
  ASSERT_TRUE(files.moveFile(dir / "OLD.TXT", dir / "old.txt"));
  const auto listing = files.find(dir / "*.txt");  // PIECES.BIN is left out
  ASSERT_EQ(listing.size(), 1u);
  EXPECT_EQ(listing[0].name, "old.txt");
  EXPECT_EQ(listing[0].size, 5u);
  // 2026-03-29 02:30:10, a moment on the far side of no summer time change in Tokyo.
  const uint32_t when = (46u << 25) | (3u << 21) | (29u << 16) | (2u << 11) | (30u << 5) | 5u;
  ASSERT_TRUE(files.setDosTime(file, when));
  EXPECT_EQ(dosTimeOf(file), when);
  EXPECT_EQ(files.fullPath(dir / "電子納品\\..\\x"), dir / "x");
  EXPECT_EQ(lastError.get(), 0);
}

TEST_F(Win32FileSystemTest, RefusalsCarryTheProgramsCodes) {
  writeFile(dir / "A.TXT", "a");
  writeFile(dir / "RO.TXT", "ro");
  ::SetFileAttributesW(platform::win32::widen(dir / "RO.TXT").c_str(), FILE_ATTRIBUTE_READONLY);
  win32test::makeFolder(dir / "SUB");
  writeFile(dir / "SUB\\X.TXT", "x");
  const uint32_t february30 = (46u << 25) | (2u << 21) | (30u << 16);
  struct Row {
    const char* what;
    std::function<Status()> call;
    int code;
  };
  const Row rows[] = {
      {"missing file", [&] { return Status{files.exists(dir / "NO.TXT") ? 0 : lastError.get()}; },
       2},
      {"missing folder", [&] { return files.writeFile(dir / "NO\\A.TXT", "a"); }, 3},
      {"delete read-only", [&] { return files.deleteFile(dir / "RO.TXT"); }, 5},
      {"write read-only", [&] { return files.writeFile(dir / "RO.TXT", "x"); }, 5},
      {"replace read-only", [&] { return files.replaceFileAtomically(dir / "RO.TXT", "x"); }, 5},
      {"copy onto read-only", [&] { return files.copyFile(dir / "A.TXT", dir / "RO.TXT", false); },
       5},
      {"copy a folder", [&] { return files.copyFile(dir / "SUB", dir / "B.TXT", false); }, 5},
      {"copy failing if exists",
       [&] { return files.copyFile(dir / "A.TXT", dir / "RO.TXT", true); }, 80},
      {"copy onto itself", [&] { return files.copyFile(dir / "A.TXT", dir / "a.txt", false); }, 32},
      {"rename onto a file", [&] { return files.moveFile(dir / "A.TXT", dir / "RO.TXT"); }, 183},
      {"folder into itself", [&] { return files.moveFile(dir / "SUB", dir / "SUB\\IN"); }, 32},
      {"existing folder", [&] { return files.createFolder(dir / "SUB"); }, 183},
      {"folders over a file", [&] { return files.createFolders(dir / "A.TXT\\B"); }, 3},
      {"folder not empty", [&] { return files.removeFolder(dir / "SUB"); }, 145},
      {"no such date", [&] { return files.setDosTime(dir / "A.TXT", february30); }, 87},
      {"size of a folder",
       [&] { return Status{files.fileSize(dir / "SUB") ? 0 : lastError.get()}; }, 5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    lastError.set(0);
    const Status result = row.call();
    EXPECT_EQ(result.error, row.code);
    EXPECT_EQ(lastError.get(), row.code);
  }
  EXPECT_EQ(readFile(dir / "RO.TXT"), "ro");
  EXPECT_EQ(readFile(dir / "A.TXT"), "a");
}

}  // namespace
