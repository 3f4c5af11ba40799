// Libraries by Windows name: the program's folder first, then the system's search.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/posix/Libraries_posix.h"
#include "tests/platform/ScratchMachine.h"

namespace {

using platform::posix::DlLibraries;
using AnswerFunction = int (*)();

// Where the build puts libbrevantest.so.
const std::string kProgramFolder = BREVAN_TEST_PROGRAM_FOLDER;

TEST(LibrariesTest, WindowsNamesStandForLowerCaseSharedObjects) {
  struct Row {
    const char* name;
    const char* file;
  };
  const Row rows[] = {
      {"UNLHA32.DLL", "libunlha32.so"},
      {"Foo.Dll", "libfoo.so"},
      {"NAME", "libname.so"},
      {"..\\X.DLL", ""},
      {"a/b.dll", ""},
      {"C:X.DLL", ""},
      {".DLL", ""},
      {"", ""},
      {"..", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(DlLibraries::sharedObjectName(row.name), row.file);
  }
}

TEST(LibrariesTest, LoadsFromTheProgramFolderAndUnloadsWithTheObject) {
  DlLibraries libraries(kProgramFolder);
  auto library = libraries.load("BrevanTest.DLL");
  ASSERT_NE(library, nullptr);
  auto answer = reinterpret_cast<AnswerFunction>(library->symbol("brevanTestAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(library->symbol("Unlha"), nullptr);
  library.reset();
  const std::string path = kProgramFolder + "/libbrevantest.so";
  EXPECT_EQ(::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);

  EXPECT_EQ(libraries.load("NONE.DLL"), nullptr);
  EXPECT_EQ(DlLibraries("/nonexistent").load("BREVANTEST.DLL"), nullptr);
}

TEST(LibrariesTest, ProgramFolderComesBeforeTheSystemSearch) {
  // libcurl.so is on the system's search path (the curl development package).
  auto system = DlLibraries("").load("CURL.DLL");
  ASSERT_NE(system, nullptr);
  EXPECT_NE(system->symbol("curl_version"), nullptr);

  test::ScratchFolder folder;
  std::filesystem::copy_file(kProgramFolder + "/libbrevantest.so", folder.path() + "/libcurl.so");
  auto own = DlLibraries(folder.path()).load("CURL.DLL");
  ASSERT_NE(own, nullptr);
  EXPECT_NE(own->symbol("brevanTestAnswer"), nullptr);
}

TEST(LibrariesTest, InstalledProgramFindsItsPrivateLibraryFolder) {
  test::ScratchFolder root;
  std::filesystem::create_directories(root.path() + "/bin");
  std::filesystem::create_directories(root.path() + "/lib/brevan-update");
  std::filesystem::copy_file(kProgramFolder + "/libbrevantest.so",
                             root.path() + "/lib/brevan-update/libbrevantest.so");
  auto library = DlLibraries(root.path() + "/bin").load("BREVANTEST.DLL");
  ASSERT_NE(library, nullptr);
  EXPECT_NE(library->symbol("brevanTestAnswer"), nullptr);
}

}  // namespace
