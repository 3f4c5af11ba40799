// The built libunlha32.so loaded as the program loads it, and a machine folder for each test.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace test {

// The library's entry points, looked up once with dlopen/dlsym.
struct UnlhaLibrary {
  int (*unlha)(void*, const char*, char*, unsigned int) = nullptr;
  int (*getVersion)() = nullptr;
  int (*checkArchive)(const char*, int) = nullptr;
  static const UnlhaLibrary& get();
};

std::string toCp932(const std::string& utf8);
std::string fromCp932(const std::string& cp932);

class UnlhaTest : public ::testing::Test {
 protected:
  struct Result {
    int code = -1;
    std::string output;  // the report, decoded to UTF-8
  };

  // A fresh folder; the machine folder is root/machine with drive C:, named by BREVAN_PREFIX.
  void SetUp() override;
  void TearDown() override;

  // The native path of a Windows path on drive C: of the test machine (case as given).
  std::string native(const std::string& windowsPath) const;
  // Runs the program's own command: e -jyc -jyo "archive" -d1 -c1 "destination\".
  Result extract(const std::string& archive, const std::string& destination,
                 unsigned outputSize = 254);
  // Runs a command line given in UTF-8 (sent as CP932).
  Result command(const std::string& line, unsigned outputSize = 254);
  // Every entry beneath a native folder, as relative paths ("a", "a/b.txt").
  static std::set<std::string> tree(const std::string& nativeFolder);

  std::string root;
  std::string prefix;
};

}  // namespace test
