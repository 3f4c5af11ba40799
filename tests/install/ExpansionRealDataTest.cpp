// The expansion steps on files made by independent tools: an SZDD file made by mscompress and
// an lh5 archive made by jlha, through the real LZ backend and the real libunlha32.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "install/LhaBinding.h"
#include "platform/posix/Libraries_posix.h"
#include "tests/app/WindowFixture.h"

namespace fs = std::filesystem;

namespace test {
namespace {

std::string readNative(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeNative(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST_F(WindowTest, CompressedLibraryAndArchiveAreInstalledFromToolMadeFiles) {
  ASSERT_STRNE(JLHA_PROGRAM, "") << "jlha (Debian jlha-utils) missing";
  const fs::path scratch = fs::path(machine.prefix()) / "tools";
  std::string library;
  for (int i = 0; i < 5000; ++i) library += "CoreApi library line " + std::to_string(i % 97) + "\n";
  writeNative(scratch / "CoreApi.dll", library);
  writeNative(scratch / "corins0.0" / "readme.txt", "CORINS data\r\n");
  writeNative(scratch / "corins0.0" / "sub" / "table.csv", "a,b,c\r\n1,2,3\r\n");
  const std::string cd = "cd '" + scratch.string() + "' && ";
  ASSERT_EQ(std::system((cd + "mscompress CoreApi.dll >/dev/null 2>&1").c_str()), 0);
  ASSERT_EQ(std::system((cd + JLHA_PROGRAM + " a2 CORINS0.lzh corins0.0/readme.txt " +
                         "corins0.0/sub/table.csv >/dev/null 2>&1")
                            .c_str()),
            0);

  putSettings("C:\\B\\");
  // The library finds the machine folder as the program's own process does.
  ::setenv("BREVAN_PREFIX", machine.prefix().c_str(), 1);
  platform::posix::DlLibraries libraries(UNLHA32_FOLDER);
  std::vector<std::string> panics;
  LhaBinding lha(libraries,
                 [&](const std::string&, const std::string& text) { panics.push_back(text); });
  ASSERT_TRUE(lha.loaded());
  form = std::make_unique<TMainForm>(view, machine.services(), &lha);
  machine.put("C:\\B\\NEW_BIN\\PictDesk.EXE", "installed");
  form->InstallPath = "C:\\B\\NEW_BIN\\";
  form->WorkPath = "C:\\TEMP\\BrvNewUp\\";
  *form->WorkList = {"CoreApi.dl_", "CORINS0.lzh"};
  machine.put("C:\\TEMP\\BrvNewUp\\CoreApi.dl_", readNative(scratch / "CoreApi.dll_"));
  machine.put("C:\\TEMP\\BrvNewUp\\CORINS0.lzh", readNative(scratch / "CORINS0.lzh"));

  form->ExpandDownloads();
  form->CopyStage(0, 0, ".DLL");
  form->InstallArchiveFolder("corins0.0", 1);
  EXPECT_EQ(form->ExpandArchive("C:\\TEMP\\BrvNewUp\\CORINS0.lzh", "C:\\B\\NEW_BIN"), 0);

  EXPECT_EQ(machine.get("C:\\B\\NEW_BIN\\CoreApi.DLL"), library);
  // Debian's mscompress names its output "CoreApi.dll_"; the server names it "CoreApi.dl_".
  // The archive is copied unchanged under its restored name, and expanded from the download.
  EXPECT_EQ(machine.get("C:\\TEMP\\BrvNewUp\\CORINS0.KOU"), readNative(scratch / "CORINS0.lzh"));
  EXPECT_EQ(machine.get("C:\\B\\NEW_BIN\\corins0.0\\readme.txt"), "CORINS data\r\n");
  EXPECT_EQ(machine.get("C:\\B\\NEW_BIN\\corins0.0\\sub\\table.csv"), "a,b,c\r\n1,2,3\r\n");
  EXPECT_TRUE(panics.empty());
  EXPECT_EQ(view.messages.size(), 1u);  // the start-up notice only
}

TEST_F(WindowTest, MissingArchiveLibraryShowsItsStubOncePerArchiveAndTheRunGoesOn) {
  putSettings("C:\\B\\");
  platform::posix::DlLibraries libraries("/nonexistent");
  std::vector<std::pair<std::string, std::string>> panics;
  LhaBinding lha(libraries, [&](const std::string& caption, const std::string& text) {
    panics.emplace_back(caption, text);
  });
  ASSERT_FALSE(lha.loaded());
  form = std::make_unique<TMainForm>(view, machine.services(), &lha);
  form->InstallPath = "C:\\B\\OLD_BIN\\";
  form->WorkPath = "C:\\TEMP\\BrvOldUp\\";
  *form->WorkList = {"CORINS5.lzh", "ヘルプ.lzh"};
  form->InstallArchiveFolder("corins5.0", 0);
  form->InstallArchiveFolder("ヘルプ", 1);
  ASSERT_EQ(panics.size(), 2u);
  EXPECT_EQ(panics[0],
            std::make_pair(std::string("PANIC!!"), std::string("Unlha: LHA.DLL not loaded.")));
  // The folders are made all the same.
  EXPECT_TRUE(machine.services().files.folderExists("C:\\B\\OLD_BIN\\corins5.0"));
  EXPECT_TRUE(machine.services().files.folderExists("C:\\B\\OLD_BIN\\ヘルプ"));
}

}  // namespace
}  // namespace test
