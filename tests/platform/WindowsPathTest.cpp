// Windows path and command-line text rules, row by row.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/posix/WindowsCommandLine.h"
#include "platform/posix/WindowsPath.h"

namespace {

using platform::posix::parseDrivePath;
using platform::posix::resolveFullPath;
using platform::posix::splitCommandLine;

TEST(WindowsPathTest, FullPathResolvesDotsAgainstTheRootOfC) {
  struct Row {
    const char* path;
    std::optional<std::string> full;
  };
  const Row rows[] = {
      {"C:\\VALTERN\\BREVAN\\OLD_BIN\\..\\New_BIN\\", "C:\\VALTERN\\BREVAN\\New_BIN\\"},
      {"C:\\a\\.\\b", "C:\\a\\b"},
      {"C:\\a\\b\\..", "C:\\a"},
      {"C:\\a\\b\\.", "C:\\a\\b"},
      {"C:\\a\\..\\", "C:\\"},
      {"C:\\..\\..\\a", "C:\\a"},  // never above the root
      {"C:/a/b/", "C:\\a\\b\\"},
      {"C:\\a\\\\b", "C:\\a\\b"},
      {"c:\\x", "c:\\x"},  // the drive letter keeps its case
      {"C:", "C:\\"},
      {"D:a\\b", "D:\\a\\b"},  // each drive's current folder is its root
      {"\\a\\b", "C:\\a\\b"},
      {"a\\b", "C:\\a\\b"},
      {"..\\a", "C:\\a"},
      {".", "C:\\"},
      {"", std::nullopt},
      {"\\\\server\\share\\a", std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    EXPECT_EQ(resolveFullPath(row.path), row.full);
  }
  EXPECT_EQ(resolveFullPath(std::string("C:\\a\0b", 6)), std::nullopt);
}

TEST(WindowsPathTest, OnlyAbsoluteDrivePathsParse) {
  struct Row {
    const char* path;
    bool parses;
    std::vector<std::string> components;
  };
  const Row rows[] = {
      {"C:\\", true, {}},
      {"c:/Inst/A.INI", true, {"Inst", "A.INI"}},
      {"C:\\Inst\\..\\..\\..\\etc\\passwd", true, {"etc", "passwd"}},
      {"C:\\a\\...\\b", true, {"a", "...", "b"}},  // only "." and ".." are special
      {"C:", false, {}},
      {"C:a", false, {}},
      {"\\a", false, {}},
      {"a\\b", false, {}},
      {"1:\\a", false, {}},
      {"\\\\server\\share", false, {}},
      {"", false, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    auto parsed = parseDrivePath(row.path);
    ASSERT_EQ(parsed.has_value(), row.parses);
    if (parsed) {
      EXPECT_EQ(parsed->components, row.components);
    }
  }
  EXPECT_EQ(parseDrivePath("d:\\x")->drive, 'D');
}

TEST(WindowsCommandLineTest, SplitsAsTheRuntimeDoes) {
  struct Row {
    const char* line;
    std::optional<std::string> program;
    std::vector<std::string> arguments;
  };
  const Row rows[] = {
      {"\"C:\\Program Files\\x.exe\" /s \"C:\\a b\\c.ocx\"",
       "C:\\Program Files\\x.exe",
       {"/s", "C:\\a b\\c.ocx"}},
      {"C:\\x.sh a  b\tc", "C:\\x.sh", {"a", "b", "c"}},
      {"x \"a\"\"b\"", "x", {"a\"b"}},
      {"x a\\\\\"b c\"", "x", {"a\\b c"}},  // 2n backslashes: n, then quoting
      {"x a\\\"b", "x", {"a\"b"}},          // 2n+1: n and a literal quote
      {"x a\\b\\", "x", {"a\\b\\"}},        // backslashes not before a quote stay
      {"x \"\"", "x", {""}},
      {"  x  ", "x", {}},
      {"\"unclosed", "unclosed", {}},
      {"", std::nullopt, {}},
      {"\"\" a", std::nullopt, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    auto parsed = splitCommandLine(row.line);
    ASSERT_EQ(parsed.has_value(), row.program.has_value());
    if (!parsed) continue;
    EXPECT_EQ(parsed->program, *row.program);
    EXPECT_EQ(parsed->arguments, row.arguments);
  }
}

}  // namespace
