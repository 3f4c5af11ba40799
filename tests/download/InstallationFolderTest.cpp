// What the first-run move leaves alone: the settings file in the installation folder, and any
// installation folder that is a drive root or the Windows folder.
#include <filesystem>

#include "tests/download/DownloadFixture.h"

using platform::Control;

namespace test {
namespace {

using InstallationFolderTest = DownloadTest;

TEST_F(InstallationFolderTest, SettingsFileInTheInstallationFolderStaysThereWithItsProxy) {
  const std::string r = "C:\\VALTERN\\BREVAN\\";
  const std::string settings =
      "PROXYIP=127.0.0.1\r\nPROXYPORT=" + std::to_string(m_mirror->port()) + "\r\nPATH=" + r +
      "\r\nVER=2.0\r\n";
  machine.put(r + "DARADURA.INI", settings);
  machine.put(r + "Install.ini", "[PULUGINLIST]\r\n");
  putProgram(r + "pictdesk.exe", 1, 2, 9, 0);
  create();
  view.events->onActivate();
  m_mirror->setFault("PictDesk.ex_", {mirror::FaultKind::kStatus, 404, 0, 0});
  press();

  EXPECT_EQ(machine.get(r + "DARADURA.INI"), settings);
  EXPECT_FALSE(machine.has(r + "OLD_BIN\\DARADURA.INI"));
  EXPECT_TRUE(machine.has(r + "OLD_BIN\\Install.ini"));
  EXPECT_TRUE(machine.has(r + "OLD_BIN\\pictdesk.exe"));
  // The next start finds the file, and with it the proxy.
  form.reset();
  create();
  EXPECT_EQ(form->IniFileName, r + "DARADURA.INI");
  EXPECT_EQ(form->ProxyPortNo, m_mirror->port());
  EXPECT_EQ(form->IniVersion, "2.0");
}

TEST_F(InstallationFolderTest, DriveRootOrWindowsFolderIsRefusedBeforeAnythingMoves) {
  struct Row {
    const char* what;
    const char* settingsPath;  // null: no settings file, the registry names the program
    const char* shown;
  } rows[] = {
      {"registered program on a drive root", nullptr, "C:\\"},
      {"settings naming the Windows folder", "c:\\windows\\", "c:\\windows\\"},
      {"settings naming a drive root", "C:", "C:"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    std::error_code error;
    std::filesystem::remove(machine.native("C:\\WINDOWS\\DARADURA.INI"), error);
    if (row.settingsPath) {
      putSettings(row.settingsPath, "127.0.0.1", std::to_string(m_mirror->port()));
    } else {
      putRegisteredProgram("C:\\PICTDESK.EXE");
    }
    machine.put("C:\\keep.txt", "x");
    create();
    view.events->onActivate();
    view.messages.clear();
    press();

    ASSERT_EQ(texts(), std::vector<std::string>{std::string("インストール先フォルダ \"") +
                                                row.shown + "\" は更新できません。"});
    EXPECT_EQ(view.messages[0].title, "エラー");
    EXPECT_FALSE(machine.has("C:\\OLD_BIN"));
    EXPECT_FALSE(machine.has("C:\\WINDOWS\\OLD_BIN"));
    EXPECT_TRUE(machine.has("C:\\keep.txt"));
    EXPECT_TRUE(requests().empty());
    EXPECT_TRUE(view.isEnabled(Control::DownLoadButton));
    expectIdle();
    form.reset();
  }
}

}  // namespace
}  // namespace test
