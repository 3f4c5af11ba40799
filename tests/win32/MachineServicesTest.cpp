// The smaller Win32 services: system folders, version resources, libraries, processes and
// profile files, and the machine that wires every service together.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/FileSystem_win32.h"
#include "platform/win32/Libraries_win32.h"
#include "platform/win32/Processes_win32.h"
#include "platform/win32/SystemFolders_win32.h"
#include "platform/win32/TextCodec_win32.h"
#include "platform/win32/VersionInfo_win32.h"
#include "platform/win32/Win32Machine.h"
#include "tests/win32/ScratchFolder.h"

namespace {

// The window's pump; nothing here waits for a transfer.
class IdlePump final : public platform::MessagePump {
 public:
  void processMessages() override {}
  void waitMessages(unsigned) override {}
};

TEST(Win32Services, FoldersVersionsLibrariesAndProcessesComeFromTheSystem) {
  platform::win32::Win32SystemFolders folders;
  const auto windows = folders.windowsDirectory();
  ASSERT_TRUE(windows);
  EXPECT_NE(win32test::attributesOf(*windows) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(folders.tempPath().back(), '\\');
  win32test::ScratchFolder dir;
  win32test::makeFolder(dir / "Long Folder Name");
  EXPECT_EQ(folders.longPathName(dir / "Long Folder Name"), dir / "Long Folder Name");
  EXPECT_EQ(folders.longPathName(dir / "missing"), std::nullopt);

  platform::win32::Win32VersionInfo versions;
  const auto kernel = versions.fileVersion(*windows + "\\system32\\kernel32.dll");
  ASSERT_TRUE(kernel);
  EXPECT_GE(kernel->fileVersionMS >> 16, 5u);
  EXPECT_EQ(versions.fileVersion(win32test::programFolder() + "\\fixtures\\HELP.TXT"),
            std::nullopt);

  platform::win32::Win32Libraries libraries;
  auto library = libraries.load("KERNEL32.DLL");
  ASSERT_NE(library, nullptr);
  EXPECT_NE(library->symbol("GetTickCount"), nullptr);
  EXPECT_EQ(library->symbol("NoSuchFunction"), nullptr);
  EXPECT_EQ(libraries.load("NOSUCH32.DLL"), nullptr);
  EXPECT_EQ(libraries.load(*windows + "\\system32\\kernel32.dll"), nullptr);

  platform::LastError lastError;
  platform::win32::Win32Processes processes(lastError);
  auto process = processes.start("cmd.exe /c exit 0");
  ASSERT_NE(process, nullptr);
  for (int i = 0; i < 500 && process->running(); ++i) ::Sleep(10);
  EXPECT_FALSE(process->running());
  EXPECT_EQ(processes.start("\"" + (dir / "NOSUCH.EXE") + "\" /s"), nullptr);
  EXPECT_EQ(lastError.get(), 2);
}

TEST(Win32Services, ProfileFilesKeepCp932OnDiskWhateverTheSystemCodePage) {
  win32test::ScratchFolder dir;
  IdlePump pump;
  platform::win32::Win32Machine machine(pump, nullptr);
  platform::Services& services = machine.services();
  const std::string ini = dir / "Install.ini";
  win32test::writeFile(ini, "[\x90\xDD\x92\xE8]\r\nPath = \x95\x5C\r\n");  // [設定] Path=表
  EXPECT_EQ(services.profiles.readString(ini, "設定", "PATH"), "表");
  ASSERT_TRUE(services.profiles.writeString(ini, "設定", "Name", "ソース"));
  EXPECT_EQ(win32test::readFile(ini),
            "[\x90\xDD\x92\xE8]\r\nPath = \x95\x5C\r\nName=\x83\x5C\x81\x5B\x83\x58\r\n");
  ASSERT_TRUE(services.files.setAttributes(ini, platform::kAttrReadOnly));
  EXPECT_EQ(services.profiles.writeString(ini, "設定", "Name", "x").error, 5);
  EXPECT_EQ(services.lastError.get(), 5);
}

}  // namespace
