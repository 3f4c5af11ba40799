// The machine's file system: attributes, listings and the read-only rules, enforced for root.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "tests/platform/ScratchMachine.h"

namespace {

using platform::FindEntry;
using platform::kAttrArchive;
using platform::kAttrDirectory;
using platform::kAttrHidden;
using platform::kAttrReadOnly;
using platform::kAttrSystem;
using FileSystemTest = test::ScratchMachine;

std::vector<std::string> names(const std::vector<FindEntry>& entries) {
  std::vector<std::string> out;
  for (const FindEntry& entry : entries) out.push_back(entry.name);
  return out;
}

const FindEntry* entryNamed(const std::vector<FindEntry>& entries, const std::string& name) {
  for (const FindEntry& entry : entries) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

// DOS date (high 16 bits) and time (low 16 bits).
uint32_t dosTime(int year, int month, int day, int hour, int minute, int second) {
  return static_cast<uint32_t>((year - 1980) << 25 | month << 21 | day << 16 | hour << 11 |
                               minute << 5 | second / 2);
}

TEST_F(FileSystemTest, AttributesOfFilesFoldersAndMissingEntries) {
  put("drive_c/Inst/A.INI");
  EXPECT_EQ(files.attributes("C:\\inst\\a.ini"), kAttrArchive);
  EXPECT_EQ(files.attributes("C:\\INST"), kAttrDirectory);
  setReadOnly("drive_c/Inst/A.INI", true);
  EXPECT_EQ(files.attributes("C:\\Inst\\A.INI"), kAttrArchive | kAttrReadOnly);

  struct Row {
    const char* path;
    int error;
  };
  const Row missing[] = {
      {"C:\\Inst\\B.INI", platform::kErrorFileNotFound},
      {"C:\\Gone\\B.INI", platform::kErrorPathNotFound},
      {"C:\\Inst\\A.INI\\B", platform::kErrorPathNotFound},
      {"Q:\\B.INI", platform::kErrorPathNotFound},
  };
  for (const Row& row : missing) {
    SCOPED_TRACE(row.path);
    lastError.set(0);
    EXPECT_EQ(files.attributes(row.path), std::nullopt);
    EXPECT_EQ(lastError.get(), row.error);
  }
}

TEST_F(FileSystemTest, HiddenAndSystemLiveBesideTheFileAsWineKeepsThem) {
  put("drive_c/A.INI");
  ASSERT_TRUE(files.setAttributes("C:\\A.INI", kAttrHidden | kAttrSystem | kAttrReadOnly));
  EXPECT_EQ(files.attributes("C:\\A.INI"),
            kAttrArchive | kAttrHidden | kAttrSystem | kAttrReadOnly);
  char text[16] = {};
  ASSERT_EQ(::getxattr(native("drive_c/A.INI").c_str(), "user.DOSATTRIB", text, sizeof text), 3);
  EXPECT_STREQ(text, "0x6");
  // Clearing read-only keeps hidden and system, as the installation walk relies on.
  ASSERT_TRUE(files.setAttributes("C:\\A.INI", kAttrArchive | kAttrHidden | kAttrSystem));
  EXPECT_EQ(files.attributes("C:\\A.INI"), kAttrArchive | kAttrHidden | kAttrSystem);
  EXPECT_FALSE(readOnly("drive_c/A.INI"));
  ASSERT_TRUE(files.setAttributes("C:\\A.INI", 0));
  EXPECT_EQ(files.attributes("C:\\A.INI"), kAttrArchive);
  EXPECT_LT(::getxattr(native("drive_c/A.INI").c_str(), "user.DOSATTRIB", text, sizeof text), 0);
}

TEST_F(FileSystemTest, ReadOnlyFilesRefuseWritesAndDeletionEvenForRoot) {
  put("drive_c/Inst/A.INI", "old");
  put("drive_c/Inst/B.INI", "new");
  setReadOnly("drive_c/Inst/A.INI", true);
  lastError.set(0);
  EXPECT_EQ(files.writeFile("C:\\Inst\\A.INI", "x").error, platform::kErrorAccessDenied);
  EXPECT_EQ(files.replaceFileAtomically("C:\\Inst\\A.INI", "x").error,
            platform::kErrorAccessDenied);
  EXPECT_EQ(files.copyFile("C:\\Inst\\B.INI", "C:\\Inst\\a.ini", false).error,
            platform::kErrorAccessDenied);
  EXPECT_EQ(files.deleteFile("C:\\Inst\\A.INI").error, platform::kErrorAccessDenied);
  EXPECT_EQ(lastError.get(), platform::kErrorAccessDenied);
  EXPECT_EQ(get("drive_c/Inst/A.INI"), "old");
  // It may still be renamed, and stays read-only.
  ASSERT_TRUE(files.moveFile("C:\\Inst\\A.INI", "C:\\Inst\\C.INI"));
  EXPECT_TRUE(readOnly("drive_c/Inst/C.INI"));
  EXPECT_EQ(get("drive_c/Inst/C.INI"), "old");
}

TEST_F(FileSystemTest, ReadOnlyFolderTakesNewEntriesButIsNotRemoved) {
  mkdirs("drive_c/Inst/Empty");
  setReadOnly("drive_c/Inst", true);
  setReadOnly("drive_c/Inst/Empty", true);
  EXPECT_TRUE(files.writeFile("C:\\Inst\\NEW.TXT", "n"));
  EXPECT_TRUE(files.createFolder("C:\\Inst\\Sub"));
  EXPECT_TRUE(files.deleteFile("C:\\Inst\\NEW.TXT"));
  EXPECT_EQ(files.removeFolder("C:\\Inst\\Empty").error, platform::kErrorAccessDenied);
  EXPECT_TRUE(has("drive_c/Inst/Empty"));
  EXPECT_EQ(files.attributes("C:\\Inst"), kAttrDirectory | kAttrReadOnly);
}

TEST_F(FileSystemTest, FindListsDotEntriesFirstExceptAtTheRoot) {
  put("drive_c/Inst/A.INI");
  put("drive_c/Inst/README");
  mkdirs("drive_c/Inst/Sub");
  setReadOnly("drive_c/Inst", true);

  auto entries = files.find("C:\\inst\\*.*");
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[0].name, ".");
  EXPECT_EQ(entries[1].name, "..");
  EXPECT_EQ(entries[0].attributes, kAttrDirectory | kAttrReadOnly);
  EXPECT_EQ(entries[1].attributes, kAttrDirectory);
  ASSERT_NE(entryNamed(entries, "README"), nullptr);  // "*.*" takes names without a dot
  EXPECT_EQ(entryNamed(entries, "Sub")->attributes, kAttrDirectory);
  EXPECT_EQ(entryNamed(entries, "A.INI")->size, 1u);

  // Clearing the read-only attribute of "." clears the folder's own.
  ASSERT_TRUE(files.setAttributes("C:\\Inst\\.", kAttrDirectory));
  EXPECT_FALSE(readOnly("drive_c/Inst"));

  EXPECT_EQ(names(files.find("C:\\Inst\\*.INI")), std::vector<std::string>{"A.INI"});
  auto root = names(files.find("C:\\*"));
  EXPECT_EQ(root, std::vector<std::string>{"Inst"});
}

TEST_F(FileSystemTest, FindOfAMissingOrEmptyListingRecordsWhy) {
  mkdirs("drive_c/Inst");
  struct Row {
    const char* mask;
    int error;
  };
  const Row rows[] = {
      {"C:\\Gone\\*", platform::kErrorPathNotFound},
      {"C:\\Inst\\*.BAK", platform::kErrorFileNotFound},
      {"C:\\Inst\\", platform::kErrorFileNotFound},
      {"Q:\\*", platform::kErrorPathNotFound},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.mask);
    lastError.set(0);
    EXPECT_TRUE(files.find(row.mask).empty());
    EXPECT_EQ(lastError.get(), row.error);
  }
}

TEST_F(FileSystemTest, CopyReplacesUnlessToldNotAndKeepsTimeAndReadOnly) {
  put("drive_c/A.TXT", "source");
  put("drive_c/B.TXT", "target");
  setReadOnly("drive_c/A.TXT", true);
  ASSERT_TRUE(files.setDosTime("C:\\A.TXT", dosTime(2004, 5, 8, 12, 0, 0)));

  EXPECT_EQ(files.copyFile("C:\\A.TXT", "C:\\b.txt", true).error, platform::kErrorFileExists);
  EXPECT_EQ(get("drive_c/B.TXT"), "target");
  ASSERT_TRUE(files.copyFile("C:\\A.TXT", "C:\\b.txt", false));
  EXPECT_EQ(get("drive_c/B.TXT"), "source");
  EXPECT_FALSE(has("drive_c/b.txt"));
  EXPECT_TRUE(readOnly("drive_c/B.TXT"));
  struct stat a {
  }, b{};
  ASSERT_EQ(::stat(native("drive_c/A.TXT").c_str(), &a), 0);
  ASSERT_EQ(::stat(native("drive_c/B.TXT").c_str(), &b), 0);
  EXPECT_EQ(a.st_mtime, b.st_mtime);
  EXPECT_EQ(files.find("C:\\*").size(), 2u);  // nothing left beside the target
}

TEST_F(FileSystemTest, CopyFailuresLeaveEverythingAsItWas) {
  put("drive_c/A.TXT", "only copy");
  mkdirs("drive_c/Dir");
  struct Row {
    const char* from;
    const char* to;
    int error;
  };
  const Row rows[] = {
      {"C:\\A.TXT", "C:\\a.txt", platform::kErrorSharingViolation},  // onto itself
      {"C:\\A.TXT", "C:\\.\\Dir\\..\\A.TXT", platform::kErrorSharingViolation},
      {"C:\\Dir", "C:\\D.TXT", platform::kErrorAccessDenied},
      {"C:\\A.TXT", "C:\\Dir", platform::kErrorAccessDenied},
      {"C:\\MISSING.TXT", "C:\\D.TXT", platform::kErrorFileNotFound},
      {"C:\\A.TXT", "C:\\Gone\\D.TXT", platform::kErrorPathNotFound},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.from) + " -> " + row.to);
    EXPECT_EQ(files.copyFile(row.from, row.to, false).error, row.error);
    EXPECT_EQ(lastError.get(), row.error);
    EXPECT_EQ(get("drive_c/A.TXT"), "only copy");
  }
  EXPECT_EQ(files.find("C:\\*").size(), 2u);
}

TEST_F(FileSystemTest, DeleteRefusesFoldersAndReportsWhatIsMissing) {
  mkdirs("drive_c/Dir");
  EXPECT_EQ(files.deleteFile("C:\\Dir").error, platform::kErrorAccessDenied);
  EXPECT_EQ(files.deleteFile("C:\\X.TXT").error, platform::kErrorFileNotFound);
  EXPECT_EQ(files.deleteFile("C:\\Gone\\X.TXT").error, platform::kErrorPathNotFound);
  put("drive_c/Dir/X.TXT");
  EXPECT_TRUE(files.deleteFile("C:\\dir\\x.txt"));
  EXPECT_FALSE(has("drive_c/Dir/X.TXT"));
}

TEST_F(FileSystemTest, MoveNeverReplacesButMayChangeLetterCase) {
  put("drive_c/A.TXT", "a");
  put("drive_c/B.TXT", "b");
  put("drive_c/Dir/Sub/F.TXT", "f");
  EXPECT_EQ(files.moveFile("C:\\A.TXT", "C:\\b.txt").error, platform::kErrorAlreadyExists);
  EXPECT_EQ(get("drive_c/A.TXT"), "a");
  EXPECT_EQ(get("drive_c/B.TXT"), "b");

  ASSERT_TRUE(files.moveFile("C:\\A.TXT", "C:\\a.txt"));
  EXPECT_EQ(get("drive_c/a.txt"), "a");
  EXPECT_FALSE(has("drive_c/A.TXT"));

  ASSERT_TRUE(files.moveFile("C:\\DIR", "C:\\Moved"));
  EXPECT_EQ(get("drive_c/Moved/Sub/F.TXT"), "f");
  EXPECT_EQ(files.moveFile("C:\\Moved", "C:\\Moved\\Sub\\In").error,
            platform::kErrorSharingViolation);
  EXPECT_EQ(files.moveFile("C:\\B.TXT", "C:\\Gone\\B.TXT").error, platform::kErrorPathNotFound);
  EXPECT_EQ(files.moveFile("C:\\NONE.TXT", "C:\\X.TXT").error, platform::kErrorFileNotFound);
  EXPECT_EQ(files.moveFile("C:\\", "C:\\X").error, platform::kErrorAccessDenied);
}

TEST_F(FileSystemTest, FoldersAreCreatedWithTheirParentsAndRemovedOnlyWhenEmpty) {
  EXPECT_EQ(files.createFolder("C:\\A\\B").error, platform::kErrorPathNotFound);
  ASSERT_TRUE(files.createFolders("C:\\A\\B\\C\\"));
  EXPECT_TRUE(files.createFolders("c:\\a\\b"));  // exists already
  EXPECT_TRUE(has("drive_c/A/B/C"));
  EXPECT_EQ(files.createFolder("C:\\a").error, platform::kErrorAlreadyExists);
  put("drive_c/A/FILE");
  EXPECT_EQ(files.createFolders("C:\\A\\FILE").error, platform::kErrorAlreadyExists);
  EXPECT_EQ(files.createFolders("C:\\A\\FILE\\X").error, platform::kErrorPathNotFound);
  EXPECT_EQ(files.createFolders("Q:\\X").error, platform::kErrorPathNotFound);

  EXPECT_EQ(files.removeFolder("C:\\A\\B").error, platform::kErrorDirNotEmpty);
  EXPECT_EQ(files.removeFolder("C:\\A\\FILE").error, 267);
  EXPECT_EQ(files.removeFolder("C:\\").error, platform::kErrorAccessDenied);
  EXPECT_EQ(files.removeFolder("C:\\NONE").error, platform::kErrorFileNotFound);
  EXPECT_TRUE(files.removeFolder("C:\\A\\B\\C"));
  EXPECT_FALSE(has("drive_c/A/B/C"));
}

TEST_F(FileSystemTest, AtomicReplaceKeepsPermissionsAndLeavesNothingBeside) {
  put("drive_c/WINDOWS/DARADURA.INI", "old");
  ASSERT_EQ(::chmod(native("drive_c/WINDOWS/DARADURA.INI").c_str(), 0640), 0);
  ASSERT_TRUE(files.replaceFileAtomically("C:\\windows\\daradura.ini", "new"));
  EXPECT_EQ(get("drive_c/WINDOWS/DARADURA.INI"), "new");
  struct stat st {};
  ASSERT_EQ(::stat(native("drive_c/WINDOWS/DARADURA.INI").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  ASSERT_TRUE(files.replaceFileAtomically("C:\\WINDOWS\\NEW.INI", "made"));
  EXPECT_EQ(get("drive_c/WINDOWS/NEW.INI"), "made");
  EXPECT_EQ(files.find("C:\\WINDOWS\\*").size(), 4u);  // ".", "..", two files
  EXPECT_EQ(files.replaceFileAtomically("C:\\Gone\\X.INI", "x").error,
            platform::kErrorPathNotFound);
  EXPECT_EQ(files.replaceFileAtomically("C:\\WINDOWS", "x").error, platform::kErrorAccessDenied);
}

TEST_F(FileSystemTest, ReadAndWriteWholeFiles) {
  const std::string bytes("\x82\xa0\0\r\n\xff", 6);
  ASSERT_TRUE(files.writeFile("C:\\DATA.BIN", bytes));
  EXPECT_EQ(files.readFile("c:\\data.bin"), bytes);
  EXPECT_EQ(files.fileSize("C:\\DATA.BIN"), 6u);
  ASSERT_TRUE(files.writeFile("C:\\DATA.BIN", "ab"));
  EXPECT_EQ(files.readFile("C:\\DATA.BIN"), "ab");
  EXPECT_EQ(files.readFile("C:\\NONE"), std::nullopt);
  EXPECT_EQ(lastError.get(), platform::kErrorFileNotFound);
  EXPECT_EQ(files.readFile("C:\\"), std::nullopt);
  EXPECT_EQ(lastError.get(), platform::kErrorAccessDenied);
  EXPECT_EQ(files.fileSize("C:\\"), std::nullopt);
  EXPECT_EQ(files.writeFile("C:\\Gone\\X", "x").error, platform::kErrorPathNotFound);
}

TEST_F(FileSystemTest, DosTimeIsLocalTimeAndInvalidStampsAreRefused) {
  put("drive_c/H.HTM");
  ASSERT_TRUE(files.setDosTime("C:\\H.HTM", dosTime(2004, 3, 15, 12, 34, 56)));
  struct stat st {};
  ASSERT_EQ(::stat(native("drive_c/H.HTM").c_str(), &st), 0);
  // 2004-03-15 12:34:56 in Tokyo (UTC+9) is 03:34:56 UTC.
  EXPECT_EQ(st.st_mtime, 1079321696);
  ASSERT_TRUE(files.setDosTime("C:\\H.HTM", dosTime(2004, 2, 29, 23, 59, 58)));

  struct Row {
    const char* what;
    uint32_t stamp;
  };
  const Row invalid[] = {
      {"month 13", dosTime(2004, 13, 1, 0, 0, 0)},
      {"month 0", dosTime(2004, 0, 1, 0, 0, 0)},
      {"day 0", dosTime(2004, 1, 0, 0, 0, 0)},
      {"30 February", dosTime(2004, 2, 30, 0, 0, 0)},
      {"29 February 2003", dosTime(2003, 2, 29, 0, 0, 0)},
      {"31 April", dosTime(2004, 4, 31, 0, 0, 0)},
      {"hour 24", dosTime(2004, 1, 1, 24, 0, 0)},
      {"minute 60", dosTime(2004, 1, 1, 0, 60, 0)},
      {"second 60", dosTime(2004, 1, 1, 0, 0, 60)},
  };
  for (const Row& row : invalid) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(files.setDosTime("C:\\H.HTM", row.stamp).error, platform::kErrorInvalidParameter);
  }
  ASSERT_EQ(::stat(native("drive_c/H.HTM").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1078066798);  // 2004-02-29 23:59:58 JST, untouched by the failures
  EXPECT_EQ(files.setDosTime("C:\\NONE", dosTime(2004, 1, 1, 0, 0, 0)).error,
            platform::kErrorFileNotFound);
}

TEST_F(FileSystemTest, FullPathIsTextualAndRelativeToTheRootOfC) {
  EXPECT_EQ(files.fullPath("C:\\VALTERN\\BREVAN\\OLD_BIN\\..\\New_BIN\\"),
            "C:\\VALTERN\\BREVAN\\New_BIN\\");
  EXPECT_EQ(files.fullPath("Inst\\A.INI"), "C:\\Inst\\A.INI");
  EXPECT_EQ(files.fullPath(""), "");
  EXPECT_EQ(lastError.get(), platform::kErrorInvalidName);
  // Relative paths work everywhere, from the same current folder.
  ASSERT_TRUE(files.writeFile("REL.TXT", "r"));
  EXPECT_EQ(get("drive_c/REL.TXT"), "r");
}

}  // namespace
