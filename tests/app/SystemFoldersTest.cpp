// The Windows and temporary folders as the window reads them, when the platform cannot tell.
#include <optional>

#include "app/Versions.h"
#include "tests/app/WindowFixture.h"

namespace test {
namespace {

// Folders a machine reports when its calls fail or give more than the window's buffers hold.
class ScriptedFolders : public platform::SystemFolders {
 public:
  std::optional<std::string> windows;
  std::string temp;
  std::optional<std::string> longForm;
  std::optional<std::string> windowsDirectory() override { return windows; }
  std::string tempPath() override { return temp; }
  std::optional<std::string> longPathName(const std::string&) override { return longForm; }
  std::optional<std::string> shortPathName(const std::string&) override { return std::nullopt; }
};

TEST_F(WindowTest, FolderCallsThatFailGiveEmptyTextOrTheShortForm) {
  ScriptedFolders folders;
  auto& real = machine.services();
  platform::Services services{real.files, real.registry,  folders,    real.profiles,
                              real.codec, real.versions,  real.clock, real.lastError,
                              real.shell, real.processes, real.lz,    real.makeHttp};
  const std::string longest(255, 'L');
  std::string kanji260;  // 260 characters, 780 bytes
  for (int i = 0; i < 260; ++i) kanji260 += "漢";
  struct Row {
    const char* what;
    std::optional<std::string> windows;
    std::string windowsDir;
    std::string temp;
    std::optional<std::string> longForm;
    std::string tempDir;
  } rows[] = {
      {"both work", "C:\\WINDOWS", "C:\\WINDOWS", "C:\\PROGRA~1\\", "C:\\Program Files",
       "C:\\Program Files\\"},
      {"both fail", std::nullopt, "", "C:\\TMP", std::nullopt, "C:\\TMP\\"},
      {"too long for the buffers", std::string(261, 'W'), "", "C:\\T", longest + "X", "C:\\T\\"},
      {"longest that fits", std::string(260, 'W'), std::string(260, 'W'), "C:\\T", longest,
       longest + "\\"},
      // Lengths count characters, not the bytes of their UTF-8 text.
      {"Japanese folders that fit", kanji260, kanji260, kanji260.substr(0, 255 * 3), std::nullopt,
       kanji260.substr(0, 255 * 3) + "\\"},
      {"a temporary folder cut at a character", "C:\\WINDOWS", "C:\\WINDOWS", kanji260 + "漢",
       std::nullopt, kanji260 + "\\"},
      {"a character beyond the basic plane counts two", "C:\\WINDOWS", "C:\\WINDOWS",
       "C:\\" + std::string(256, 'x') + "𠮷", std::nullopt, "C:\\" + std::string(256, 'x') + "\\"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    folders.windows = row.windows;
    folders.temp = row.temp;
    folders.longForm = row.longForm;
    EXPECT_EQ(app::GetWindowsDir(services), row.windowsDir);
    EXPECT_EQ(app::GetTempDir(services), row.tempDir);
  }
}

}  // namespace
}  // namespace test
