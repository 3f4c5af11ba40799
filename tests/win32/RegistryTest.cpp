// The Win32 registry: values under a scratch key, the 32-bit view, and the failure codes.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/win32/Registry_win32.h"
#include "platform/win32/WideText.h"

namespace {

using platform::RegistryRoot;
using platform::win32::widen;

class Win32RegistryTest : public ::testing::Test {
 protected:
  ~Win32RegistryTest() override {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      ::RegDeleteTreeW(root, widen(key).c_str());
      ::RegDeleteTreeW(root, widen("Software\\Wow6432Node\\" + name).c_str());
    }
  }

  platform::LastError lastError;
  platform::win32::Win32Registry registry{lastError};
  const std::string name = "BrevanTest" + std::to_string(::GetCurrentProcessId());
  const std::string key = "Software\\" + name;
};

TEST_F(Win32RegistryTest, KeepsValuesUnderTheKeyAndFailsWithItsCodes) {
  const auto user = RegistryRoot::CurrentUser;
  EXPECT_FALSE(registry.keyExists(user, key));
  EXPECT_EQ(lastError.get(), 2);
  EXPECT_EQ(registry.writeString(user, key, "Path", "x").error, 2);  // the key is not made
  ASSERT_TRUE(registry.createKey(user, key + "\\電子納品\\Setup"));
  EXPECT_TRUE(registry.keyExists(user, key + "\\電子納品\\SETUP"));
  ASSERT_TRUE(registry.writeString(user, key, "Path", "C:\\電子納品\\表示ソフト"));
  EXPECT_EQ(registry.readString(user, key, "PATH"), "C:\\電子納品\\表示ソフト");
  ASSERT_TRUE(registry.writeBinary(user, key, "Data", std::string("\x01\0\xFF", 3)));
  lastError.set(0);
  EXPECT_EQ(registry.readString(user, key, "Data"), std::nullopt);
  EXPECT_EQ(lastError.get(), 13);
  EXPECT_EQ(registry.readString(user, key, "Missing"), std::nullopt);
  EXPECT_EQ(lastError.get(), 2);
  EXPECT_EQ(registry.createKey(user, "").error, 87);
}

TEST_F(Win32RegistryTest, LocalMachineKeysLiveInTheThirtyTwoBitView) {
  ASSERT_TRUE(registry.createKey(RegistryRoot::LocalMachine, key));
  ASSERT_TRUE(registry.writeString(RegistryRoot::LocalMachine, key, "Version", "4.1"));
  HKEY opened = nullptr;
  const std::wstring redirected = widen("Software\\Wow6432Node\\" + name);
  ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, redirected.c_str(), 0, KEY_READ | KEY_WOW64_64KEY,
                            &opened),
            ERROR_SUCCESS);
  ::RegCloseKey(opened);
  EXPECT_NE(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, widen(key).c_str(), 0, KEY_READ | KEY_WOW64_64KEY,
                            &opened),
            ERROR_SUCCESS);
}

}  // namespace
