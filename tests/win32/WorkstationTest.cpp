// The program on a real workstation: a planted UNLHA32.DLL is never loaded, files a virus
// scanner holds for a moment are still put in place, and archives in folders named outside
// CP932 (a user name such as 𠮷) still reach UNLHA32.DLL.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <future>
#include <string>

#include "install/LhaBinding.h"
#include "install/LhaCommand.h"
#include "platform/win32/BodyFile_win32.h"
#include "platform/win32/FileSystem_win32.h"
#include "platform/win32/Libraries_win32.h"
#include "platform/win32/LzExpand_win32.h"
#include "platform/win32/SystemFolders_win32.h"
#include "platform/win32/TextCodec_win32.h"
#include "platform/win32/WideText.h"
#include "tests/win32/ScratchFolder.h"

namespace {

using platform::win32::widen;

// Runs the helper program with its arguments in the given folder; its exit code, or -1.
int runHelper(const std::string& program, const std::string& arguments, const std::string& folder,
              HANDLE* running = nullptr) {
  std::wstring line = L"\"" + widen(program) + L"\" " + widen(arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        widen(folder).c_str(), &startup, &started)) {
    return -1;
  }
  ::CloseHandle(started.hThread);
  if (running != nullptr) {
    *running = started.hProcess;
    return 0;
  }
  ::WaitForSingleObject(started.hProcess, 30000);
  DWORD code = 0;
  ::GetExitCodeProcess(started.hProcess, &code);
  ::CloseHandle(started.hProcess);
  return static_cast<int>(code);
}

void copyInto(const std::string& file, const std::string& folder, const std::string& name) {
  win32test::makeFolder(folder);
  ASSERT_TRUE(::CopyFileW(widen(file).c_str(), widen(folder + "\\" + name).c_str(), FALSE));
}

TEST(Workstation, UnlhaIsNeverTakenFromTheCurrentFolderOrPath) {
  win32test::ScratchFolder dir;
  const std::string built = win32test::programFolder();
  copyInto(built + "\\win32_workstation_helper.exe", dir / "app", "helper.exe");
  copyInto(built + "\\UNLHA32.DLL", dir / "current", "UNLHA32.DLL");
  copyInto(built + "\\UNLHA32.DLL", dir / "onpath", "UNLHA32.DLL");
  const std::wstring oldPath = [] {
    std::wstring value(32768, L'\0');
    value.resize(::GetEnvironmentVariableW(L"PATH", value.data(), 32768));
    return value;
  }();
  ::SetEnvironmentVariableW(L"PATH", (widen(dir / "onpath") + L";" + oldPath).c_str());
  const int planted = runHelper(dir / "app\\helper.exe", "load-unlha", dir / "current");
  const int plantedAlone = runHelper(dir / "app\\helper.exe", "load-unlha alone", dir / "current");
  copyInto(built + "\\UNLHA32.DLL", dir / "app", "UNLHA32.DLL");
  const int beside = runHelper(dir / "app\\helper.exe", "load-unlha", dir / "current");
  ::SetEnvironmentVariableW(L"PATH", oldPath.c_str());
  EXPECT_EQ(planted, 0) << "a planted library was loaded";
  EXPECT_EQ(plantedAlone, 0) << "the loader by itself took a planted library";
  EXPECT_EQ(beside, 1) << "the library beside the program was not loaded";
}

TEST(Workstation, FilesHeldForAMomentAreStillPutInPlace) {
  win32test::ScratchFolder dir;
  const std::string fixtures = win32test::programFolder() + "\\fixtures\\";
  const std::string help = win32test::readFile(fixtures + "HELP.TXT");
  for (const char* name : {"replaced.ini", "copied.txt", "expanded.txt", "fetched.bin"}) {
    win32test::writeFile(dir / name, "old");
  }
  win32test::writeFile(dir / "source.txt", "copy");
  // One holder for the four targets: each writer below retries while it holds them.
  HANDLE holder = nullptr;
  ASSERT_EQ(runHelper(win32test::programFolder() + "\\win32_workstation_helper.exe",
                      "hold 1000 \"" + (dir / "replaced.ini") + "\" \"" + (dir / "copied.txt") +
                          "\" \"" + (dir / "expanded.txt") + "\" \"" + (dir / "fetched.bin") + "\"",
                      dir.path(), &holder),
            0);
  for (int i = 0;
       i < 500 && win32test::attributesOf(dir / "replaced.ini.held") == INVALID_FILE_ATTRIBUTES;
       ++i) {
    ::Sleep(10);
  }
  ASSERT_NE(win32test::attributesOf(dir / "replaced.ini.held"), INVALID_FILE_ATTRIBUTES);
  const auto start = std::chrono::steady_clock::now();

  auto replace = std::async(std::launch::async, [&] {
    platform::LastError lastError;
    platform::win32::Win32FileSystem files(lastError);
    return files.replaceFileAtomically(dir / "replaced.ini", "new").error;
  });
  auto copy = std::async(std::launch::async, [&] {
    platform::LastError lastError;
    platform::win32::Win32FileSystem files(lastError);
    return files.copyFile(dir / "source.txt", dir / "copied.txt", false).error;
  });
  auto expand = std::async(std::launch::async, [&] {
    platform::LastError lastError;
    platform::win32::Win32LzExpand lz(lastError);
    return lz.expand(fixtures + "HELP.TX_", dir / "expanded.txt").error;
  });
  auto fetch = std::async(std::launch::async, [&] {
    platform::win32::BodyFile body;
    if (platform::Status opened = body.open(dir / "fetched.bin"); !opened) return opened.error;
    if (platform::Status written = body.write("body", 4); !written) return written.error;
    const int committed = body.commit().error;
    body.keep();
    return committed;
  });
  EXPECT_EQ(replace.get(), 0);
  EXPECT_EQ(copy.get(), 0);
  EXPECT_EQ(expand.get(), 0);
  EXPECT_EQ(fetch.get(), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500))
      << "the files were not held: the test proves nothing";
  ::WaitForSingleObject(holder, 10000);
  ::CloseHandle(holder);
  EXPECT_EQ(win32test::readFile(dir / "replaced.ini"), "new");
  EXPECT_EQ(win32test::readFile(dir / "copied.txt"), "copy");
  EXPECT_EQ(win32test::readFile(dir / "expanded.txt"), help);
  EXPECT_EQ(win32test::readFile(dir / "fetched.bin"), "body");
}

TEST(Workstation, ArchiveInAFolderOutsideCp932ReachesUnlhaInItsShortForm) {
  win32test::ScratchFolder dir;
  const std::string folder = dir / "𠮷野";
  win32test::makeFolder(folder);
  win32test::makeFolder(folder + "\\NEW_BIN");
  win32test::makeFolder(folder + "\\NEW_BIN\\corins0.0");
  win32test::writeFile(
      folder + "\\CORINS0.lzh",
      win32test::readFile(win32test::programFolder() + "\\unlha32-fixtures\\CORINS0.lzh"));
  platform::win32::Cp932Codec codec;
  platform::win32::Win32SystemFolders folders;
  platform::win32::Win32Libraries libraries;
  LhaBinding lha(libraries,
                 [](const std::string&, const std::string& text) { ADD_FAILURE() << text; });
  const std::string command =
      install::LhaCommandLine(codec, folders, folder + "\\CORINS0.lzh", folder + "\\NEW_BIN");
  EXPECT_EQ(command.find('?'), std::string::npos) << codec.fromCp932(command);
  std::string output(255, '\0');
  EXPECT_EQ(lha.Unlha(nullptr, command.c_str(), output.data(), 254), 0) << output.c_str();
  EXPECT_NE(win32test::attributesOf(folder + "\\NEW_BIN\\corins0.0\\data.txt"),
            INVALID_FILE_ATTRIBUTES);
}

}  // namespace
