// A machine folder of its own with the registry, profile, codec and version services over it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>

#include "platform/Status.h"
#include "platform/posix/FileSystem_posix.h"
#include "platform/posix/MachineFolder.h"
#include "platform/posix/Registry_posix.h"
#include "platform/posix/TextCodec_posix.h"
#include "platform/posix/VersionInfo_posix.h"
#include "platform/profile/FileProfiles.h"

namespace test {

inline std::string makeScratchFolder() {
  ::setenv("TZ", "Asia/Tokyo", 1);
  ::tzset();
  std::string pattern = "/tmp/brevan-text-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

class TextServicesTest : public ::testing::Test {
 protected:
  TextServicesTest()
      : prefix(makeScratchFolder()),
        machine(prefix),
        files(machine, lastError),
        registry(machine, lastError),
        profiles(files, codec, lastError),
        versions(files) {
    machine.ensureSystemFolders();
  }
  ~TextServicesTest() override {
    std::error_code error;
    std::filesystem::remove_all(prefix, error);
  }

  // Native file helpers, relative to the machine folder ("drive_c/B/Install.ini").
  std::string native(const std::string& relative) const { return prefix + "/" + relative; }
  void put(const std::string& relative, const std::string& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(native(relative)).parent_path());
    std::ofstream out(native(relative), std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  std::string get(const std::string& relative) const {
    std::ifstream in(native(relative), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  bool has(const std::string& relative) const { return std::filesystem::exists(native(relative)); }
  void setReadOnly(const std::string& relative) const {
    std::filesystem::permissions(native(relative), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
  }
  // The names in the machine folder, to see that no file written beside is left behind.
  std::string entries() const {
    std::set<std::string> sorted;
    for (const auto& e : std::filesystem::directory_iterator(prefix)) {
      sorted.insert(e.path().filename().string());
    }
    std::string names;
    for (const auto& name : sorted) names += name + " ";
    return names;
  }

  std::string prefix;
  platform::posix::MachineFolder machine;
  platform::LastError lastError;
  platform::posix::IconvTextCodec codec;
  platform::posix::PosixFileSystem files;
  platform::posix::PosixRegistry registry;
  platform::profile::FileProfiles profiles;
  platform::posix::PeVersionInfo versions;
};

}  // namespace test
