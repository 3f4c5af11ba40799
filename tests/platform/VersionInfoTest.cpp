// Version information of the machine's files through the file system.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/platform/TextServicesFixture.h"
#include "tools/pe/PeWriter.h"

namespace {

class VersionInfoTest : public test::TextServicesTest {};

TEST_F(VersionInfoTest, ReadsTheVersionOfAProgramOnTheMachine) {
  put("drive_c/VALTERN/BREVAN/pictdesk.exe", tools::pe::programWithVersion(2, 4, 9, 9));
  auto v = versions.fileVersion("C:\\Valtern\\Brevan\\PICTDESK.EXE");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->fileVersionMS, 0x00020004u);
  EXPECT_EQ(v->fileVersionLS, 0x00090009u);
}

TEST_F(VersionInfoTest, FilesWithoutVersionHaveNone) {
  put("drive_c/B/text.exe", "MZ but nothing more");
  put("drive_c/B/empty.exe", "");
  std::filesystem::create_directories(native("drive_c/B/folder.exe"));
  put("drive_c/B/huge.exe", tools::pe::programWithVersion(1, 0, 0, 0));
  ASSERT_EQ(::truncate(native("drive_c/B/huge.exe").c_str(), 65 << 20), 0);  // sparse
  for (const char* path : {"C:\\B\\text.exe", "C:\\B\\empty.exe", "C:\\B\\folder.exe",
                           "C:\\B\\missing.exe", "Q:\\B\\missing.exe", "C:\\B\\huge.exe", ""}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(versions.fileVersion(path), std::nullopt);
  }
}

}  // namespace
