// Profile files of the machine: CP932 on disk, UTF-8 in the program, written at once.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/platform/TextServicesFixture.h"

namespace {

constexpr const char* kMlit = "国土交通省電子納品基準";
constexpr const char* kMaff = "農林水産省電子納品基準";

class ProfileFilesTest : public test::TextServicesTest {
 protected:
  std::string cp932(const std::string& utf8) { return codec.toCp932(utf8); }
};

TEST_F(ProfileFilesTest, ReadsCp932FilesThroughWindowsPaths) {
  put("drive_c/Valtern/Brevan/NEW_BIN/Install.ini",
      cp932(std::string("[PULUGINLIST]\r\n") + kMlit + "=1\r\n" + kMaff + " = 0 \r\n" +
            "表示ソフト=\"表\"\r\n"));
  const std::string file = "C:\\VALTERN\\brevan\\new_bin\\INSTALL.INI";
  EXPECT_EQ(profiles.readString(file, "puluginlist", kMlit), "1");
  EXPECT_EQ(profiles.readString(file, "PULUGINLIST", kMaff), "0");
  EXPECT_EQ(profiles.readString(file, "PULUGINLIST", "表示ソフト"), "表");
  EXPECT_EQ(profiles.readString(file, "PULUGINLIST", "水資源機構"), std::nullopt);
  EXPECT_EQ(lastError.get(), 2);
  EXPECT_EQ(profiles.readString("C:\\VALTERN\\Missing.ini", "PULUGINLIST", kMlit), std::nullopt);
  EXPECT_EQ(lastError.get(), 2);
}

TEST_F(ProfileFilesTest, AWriteCreatesTheFileAndReachesTheDiskAtOnce) {
  put("drive_c/B/keep.txt", "");
  ASSERT_TRUE(profiles.writeString("C:\\B\\Install.ini", "PULUGINLIST", kMlit, "1"));
  EXPECT_EQ(get("drive_c/B/Install.ini"),
            cp932(std::string("[PULUGINLIST]\r\n") + kMlit + "=1\r\n"));
  ASSERT_TRUE(profiles.writeString("C:\\B\\install.ini", "PULUGINLIST", kMaff, "0"));
  EXPECT_EQ(get("drive_c/B/Install.ini"),
            cp932(std::string("[PULUGINLIST]\r\n") + kMlit + "=1\r\n" + kMaff + "=0\r\n"));
  EXPECT_TRUE(profiles.flush("C:\\B\\Install.ini"));
  // No second file under another case, nothing left beside it.
  std::string names;
  for (const auto& e : std::filesystem::directory_iterator(native("drive_c/B"))) {
    names += e.path().filename().string() + " ";
  }
  EXPECT_TRUE(names == "Install.ini keep.txt " || names == "keep.txt Install.ini ") << names;
}

TEST_F(ProfileFilesTest, OtherSectionsAndLinesStayByteForByte) {
  const std::string other = "[OTHER]\nKeep=yes\n\x81\xFF junk \x80\n\n";
  put("drive_c/B/Install.ini", other + "[PULUGINLIST]\r\n" + cp932(kMlit) + "=0\r\n");
  ASSERT_TRUE(profiles.writeString("C:\\B\\Install.ini", "PULUGINLIST", kMlit, "1"));
  ASSERT_TRUE(profiles.writeString("C:\\B\\Install.ini", "PULUGINLIST", kMaff, "1"));
  EXPECT_EQ(get("drive_c/B/Install.ini"),
            other + "[PULUGINLIST]\r\n" + cp932(kMlit) + "=1\r\n" + cp932(kMaff) + "=1\r\n");
  EXPECT_EQ(profiles.readString("C:\\B\\Install.ini", "OTHER", "Keep"), "yes");
}

TEST_F(ProfileFilesTest, AReadOnlyFileIsAccessDenied) {
  const std::string before = "[PULUGINLIST]\r\n";
  put("drive_c/B/Install.ini", before);
  setReadOnly("drive_c/B/Install.ini");
  auto st = profiles.writeString("C:\\B\\Install.ini", "PULUGINLIST", kMlit, "1");
  EXPECT_FALSE(st);
  EXPECT_EQ(st.error, 5);
  EXPECT_EQ(lastError.get(), 5);
  EXPECT_EQ(get("drive_c/B/Install.ini"), before);
  EXPECT_EQ(profiles.readString("C:\\B\\Install.ini", "PULUGINLIST", kMlit), std::nullopt);
}

TEST_F(ProfileFilesTest, FailedWritesSayWhy) {
  std::filesystem::create_directories(native("drive_c/B/Folder.ini"));
  struct Row {
    const char* name;
    std::string file;
    std::string section;
    std::string value;
    int error;
  };
  const Row rows[] = {
      {"missing folder", "C:\\Nowhere\\Install.ini", "PULUGINLIST", "1", 3},
      {"missing drive", "Q:\\Install.ini", "PULUGINLIST", "1", 3},
      {"a folder of that name", "C:\\B\\Folder.ini", "PULUGINLIST", "1", 5},
      {"a line break in the value", "C:\\B\\New.ini", "PULUGINLIST", "1\r\n[X]", 87},
      {"an empty section", "C:\\B\\New.ini", "", "1", 87},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto st = profiles.writeString(row.file, row.section, kMlit, row.value);
    EXPECT_EQ(st.error, row.error);
    EXPECT_EQ(lastError.get(), row.error);
  }
  EXPECT_FALSE(has("drive_c/Nowhere"));
  EXPECT_FALSE(has("drive_c/B/New.ini"));
  EXPECT_EQ(profiles.readString("C:\\B\\Folder.ini", "PULUGINLIST", kMlit), std::nullopt);
}

TEST_F(ProfileFilesTest, DamagedAndHugeFilesAreHandled) {
  std::string junk;
  for (int i = 0; i < 100000; ++i) junk += static_cast<char>((i * 40503u >> 5) & 0xFF);
  put("drive_c/B/Junk.ini", junk);
  EXPECT_EQ(profiles.readString("C:\\B\\Junk.ini", "PULUGINLIST", kMlit), std::nullopt);
  ASSERT_TRUE(profiles.writeString("C:\\B\\Junk.ini", "PULUGINLIST", kMlit, "1"));
  EXPECT_EQ(profiles.readString("C:\\B\\Junk.ini", "PULUGINLIST", kMlit), "1");
  EXPECT_EQ(get("drive_c/B/Junk.ini").substr(0, junk.size()), junk);

  // Larger than any profile file (sparse, so the test reads nothing).
  put("drive_c/B/Huge.ini", "[PULUGINLIST]\r\n");
  ASSERT_EQ(::truncate(native("drive_c/B/Huge.ini").c_str(), 65 << 20), 0);
  EXPECT_EQ(profiles.readString("C:\\B\\Huge.ini", "PULUGINLIST", kMlit), std::nullopt);
  EXPECT_EQ(lastError.get(), 8);
  EXPECT_EQ(profiles.writeString("C:\\B\\Huge.ini", "PULUGINLIST", kMlit, "1").error, 8);
}

TEST_F(ProfileFilesTest, SettingsOfTheProductFileAreRead) {
  put("drive_c/B/NEW_BIN/PICTDESK.INI",
      "[General]\r\nName=x\r\n[MediaLabelPrintSet]\r\nSettingNameCount=0\r\n");
  EXPECT_EQ(
      profiles.readString("C:\\B\\New_BIN\\PICTDESK.INI", "MediaLabelPrintSet", "SettingNameCount"),
      "0");
  // Characters CP932 lacks are written as '?', as the ANSI profile functions do.
  ASSERT_TRUE(profiles.writeString("C:\\B\\New_BIN\\PICTDESK.INI", "General", "Name", "a€b"));
  EXPECT_EQ(profiles.readString("C:\\B\\New_BIN\\PICTDESK.INI", "General", "Name"), "a?b");
}

}  // namespace
