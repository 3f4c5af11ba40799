// The registry of the machine folder: registry.reg read and replaced through the service.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/platform/TextServicesFixture.h"

namespace {

using platform::RegistryRoot;

constexpr const char* kBrevan = "SOFTWARE\\Valtern\\Brevan";
constexpr const char* kViewer = "Software\\AHOEM011\\JanSDK8\\2004.0.1\\ENGOPTION\\PD0000R";

const std::string kInstalled =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "; kept by hand\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Valtern\\Brevan]\r\n"
    "\"Exename\"=\"c:\\\\valtern\\\\brevan\\\\old_bin\\\\pictdesk.exe\"\r\n"
    "\"Flags\"=dword:00000003\r\n"
    "\"Odd\"=hex(b):01,02\r\n"
    "\"Broken\"=what\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Other]\r\n@=\"kept\"\r\n\r\n";

class RegistryTest : public test::TextServicesTest {};

TEST_F(RegistryTest, AMissingFileIsAnEmptyRegistry) {
  EXPECT_FALSE(registry.keyExists(RegistryRoot::LocalMachine, kBrevan));
  EXPECT_EQ(registry.readString(RegistryRoot::LocalMachine, kBrevan, "Exename"), std::nullopt);
  EXPECT_EQ(lastError.get(), 2);
  EXPECT_EQ(registry.writeString(RegistryRoot::LocalMachine, kBrevan, "Exename", "x").error, 2);
  EXPECT_FALSE(has("registry.reg"));  // a refused write creates nothing
}

TEST_F(RegistryTest, TheStartUpRepairsKeepEverythingElse) {
  put("registry.reg", kInstalled);
  // Step 1: the registered path, rewritten under a name of other case.
  ASSERT_TRUE(registry.keyExists(RegistryRoot::LocalMachine, "software\\valtern\\BREVAN"));
  EXPECT_TRUE(registry.writeString(RegistryRoot::LocalMachine, kBrevan, "exename",
                                   "C:\\VALTERN\\BREVAN\\PICTDESK.EXE"));
  // Step 2: the viewer's option, its key created with every parent.
  EXPECT_TRUE(registry.createKey(RegistryRoot::CurrentUser, kViewer));
  EXPECT_TRUE(registry.writeBinary(RegistryRoot::CurrentUser, kViewer, "ReadOption",
                                   std::string(12, '\0')));
  EXPECT_TRUE(registry.keyExists(RegistryRoot::CurrentUser, "Software\\AHOEM011\\JanSDK8"));

  EXPECT_EQ(registry.readString(RegistryRoot::LocalMachine, kBrevan, "Exename"),
            "C:\\VALTERN\\BREVAN\\PICTDESK.EXE");
  EXPECT_EQ(registry.readString(RegistryRoot::CurrentUser, "Software\\Other", ""), "kept");
  const std::string text = get("registry.reg");
  for (const char* line :
       {"Windows Registry Editor Version 5.00\r\n", "; kept by hand\r\n",
        "\"Exename\"=\"C:\\\\VALTERN\\\\BREVAN\\\\PICTDESK.EXE\"\r\n",
        "\"Flags\"=dword:00000003\r\n", "\"Odd\"=hex(b):01,02\r\n", "\"Broken\"=what\r\n",
        "[HKEY_CURRENT_USER\\Software\\AHOEM011\\JanSDK8\\2004.0.1\\ENGOPTION\\PD0000R]\r\n"
        "\"ReadOption\"=hex:00,00,00,00,00,00,00,00,00,00,00,00\r\n"}) {
    SCOPED_TRACE(line);
    EXPECT_NE(text.find(line), std::string::npos) << text;
  }
  EXPECT_EQ(text.find("exename"), std::string::npos);
  EXPECT_EQ(entries(), "drive_c registry.reg ");  // nothing left beside it
}

TEST_F(RegistryTest, ValuesThatAreNoStringsReadAsNone) {
  put("registry.reg", kInstalled);
  EXPECT_EQ(registry.readString(RegistryRoot::LocalMachine, kBrevan, "Flags"), std::nullopt);
  EXPECT_EQ(lastError.get(), 13);
  EXPECT_EQ(registry.readString(RegistryRoot::LocalMachine, kBrevan, "Missing"), std::nullopt);
  EXPECT_EQ(lastError.get(), 2);
  // A string written over a number becomes a string.
  EXPECT_TRUE(registry.writeString(RegistryRoot::LocalMachine, kBrevan, "FLAGS", "now text"));
  EXPECT_EQ(registry.readString(RegistryRoot::LocalMachine, kBrevan, "Flags"), "now text");
}

TEST_F(RegistryTest, AReadOnlyFileRefusesEveryWrite) {
  put("registry.reg", kInstalled);
  setReadOnly("registry.reg");
  EXPECT_EQ(registry.writeString(RegistryRoot::LocalMachine, kBrevan, "Exename", "x").error, 5);
  EXPECT_EQ(lastError.get(), 5);
  EXPECT_EQ(registry.createKey(RegistryRoot::CurrentUser, kViewer).error, 5);
  EXPECT_TRUE(registry.createKey(RegistryRoot::CurrentUser, "Software"));  // exists already
  EXPECT_EQ(get("registry.reg"), kInstalled);
  EXPECT_EQ(registry.readString(RegistryRoot::LocalMachine, kBrevan, "Exename"),
            "c:\\valtern\\brevan\\old_bin\\pictdesk.exe");
}

TEST_F(RegistryTest, AFileThatCannotBeReadIsNeverOverwritten) {
  std::filesystem::create_directory(native("registry.reg"));
  EXPECT_EQ(registry.readString(RegistryRoot::LocalMachine, kBrevan, "Exename"), std::nullopt);
  EXPECT_EQ(lastError.get(), 5);
  EXPECT_EQ(registry.createKey(RegistryRoot::CurrentUser, kViewer).error, 5);
  std::filesystem::remove(native("registry.reg"));

  // Larger than any registry of ours (a sparse file: nothing is really read).
  put("registry.reg", kInstalled);
  ASSERT_EQ(::truncate(native("registry.reg").c_str(), 65 << 20), 0);
  EXPECT_EQ(registry.readString(RegistryRoot::LocalMachine, kBrevan, "Exename"), std::nullopt);
  EXPECT_EQ(lastError.get(), 8);
  EXPECT_EQ(registry.createKey(RegistryRoot::CurrentUser, kViewer).error, 8);
  EXPECT_EQ(std::filesystem::file_size(native("registry.reg")), 65u << 20);
}

TEST_F(RegistryTest, NamesTheFileCannotHoldAreRefused) {
  put("registry.reg", kInstalled);
  EXPECT_EQ(registry.writeString(RegistryRoot::LocalMachine, kBrevan, "a\r\nb", "x").error, 87);
  EXPECT_EQ(registry.createKey(RegistryRoot::CurrentUser, "Software\\a\nb").error, 87);
  EXPECT_EQ(registry.createKey(RegistryRoot::CurrentUser, "").error, 87);
  EXPECT_EQ(registry.writeString(RegistryRoot::LocalMachine, "\\", "V", "x").error, 87);
  EXPECT_EQ(get("registry.reg"), kInstalled);
  // Values may hold anything.
  EXPECT_TRUE(registry.writeString(RegistryRoot::LocalMachine, kBrevan, "V", "a\r\n[X]\r\n\"b\""));
  EXPECT_EQ(registry.readString(RegistryRoot::LocalMachine, kBrevan, "V"), "a\r\n[X]\r\n\"b\"");
  EXPECT_FALSE(registry.keyExists(RegistryRoot::LocalMachine, "X"));
}

TEST_F(RegistryTest, ADamagedFileStillTakesWrites) {
  const char raw[] = "\xFF\xFE\0garbage[\n\n\x80\x81]]\n";
  std::string junk(raw, sizeof raw - 1);
  junk += std::string(1 << 20, 'z');
  put("registry.reg", junk);
  EXPECT_FALSE(registry.keyExists(RegistryRoot::LocalMachine, kBrevan));
  ASSERT_TRUE(registry.createKey(RegistryRoot::LocalMachine, kBrevan));
  ASSERT_TRUE(registry.writeString(RegistryRoot::LocalMachine, kBrevan, "Exename", "表"));
  EXPECT_EQ(registry.readString(RegistryRoot::LocalMachine, kBrevan, "exename"), "表");
  EXPECT_NE(get("registry.reg").find(std::string(1 << 20, 'z')), std::string::npos);
}

TEST_F(RegistryTest, AMissingMachineFolderFailsWithPathNotFound) {
  platform::posix::MachineFolder gone(prefix + "/no/such/folder");
  platform::posix::PosixRegistry lost(gone, lastError);
  EXPECT_EQ(lost.createKey(RegistryRoot::CurrentUser, kViewer).error, 3);
}

}  // namespace
