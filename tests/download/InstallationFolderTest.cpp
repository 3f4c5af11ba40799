// What the first-run move leaves alone: the settings file in the installation folder, any
// installation folder that is a drive root or the Windows folder, and one the user may not write.
#include <filesystem>

#include "tests/download/DownloadFixture.h"

using platform::Control;

namespace test {
namespace {

using InstallationFolderTest = DownloadTest;

// The machine's files, except that one folder refuses new files, as Program Files does for a
// standard user.
class RefusingFolder final : public platform::FileSystem {
 public:
  RefusingFolder(platform::FileSystem& files, std::string refused)
      : m_files(files), m_refused(std::move(refused)) {}
  platform::Status probeWritable(const std::string& folder) override {
    if (folder == m_refused) return platform::Status::failure(platform::kErrorAccessDenied);
    return m_files.probeWritable(folder);
  }
  std::optional<uint32_t> attributes(const std::string& p) override {
    return m_files.attributes(p);
  }
  platform::Status setAttributes(const std::string& p, uint32_t a) override {
    return m_files.setAttributes(p, a);
  }
  std::vector<platform::FindEntry> find(const std::string& m) override { return m_files.find(m); }
  platform::Status copyFile(const std::string& f, const std::string& t, bool e) override {
    return m_files.copyFile(f, t, e);
  }
  platform::Status deleteFile(const std::string& p) override { return m_files.deleteFile(p); }
  platform::Status moveFile(const std::string& f, const std::string& t) override {
    return m_files.moveFile(f, t);
  }
  platform::Status createFolder(const std::string& p) override { return m_files.createFolder(p); }
  platform::Status createFolders(const std::string& p) override { return m_files.createFolders(p); }
  platform::Status removeFolder(const std::string& p) override { return m_files.removeFolder(p); }
  std::optional<std::string> readFile(const std::string& p) override { return m_files.readFile(p); }
  platform::Status writeFile(const std::string& p, const std::string& b) override {
    return m_files.writeFile(p, b);
  }
  platform::Status replaceFileAtomically(const std::string& p, const std::string& b) override {
    return m_files.replaceFileAtomically(p, b);
  }
  platform::Status setDosTime(const std::string& p, uint32_t t) override {
    return m_files.setDosTime(p, t);
  }
  std::optional<uint64_t> fileSize(const std::string& p) override { return m_files.fileSize(p); }
  std::string fullPath(const std::string& p) override { return m_files.fullPath(p); }

 private:
  platform::FileSystem& m_files;
  std::string m_refused;
};

TEST_F(InstallationFolderTest, FolderTheUserMayNotWriteIsRefusedBeforeAnythingMoves) {
  putSettings(kRoot, "127.0.0.1", std::to_string(m_mirror->port()));
  putProgram(std::string(kRoot) + "pictdesk.exe", 1, 2, 9, 0);
  platform::Services& real = machine.services();
  RefusingFolder files(real.files, kRoot);
  platform::Services services{files,      real.registry,  real.folders, real.profiles,
                              real.codec, real.versions,  real.clock,   real.lastError,
                              real.shell, real.processes, real.lz,      real.makeHttp};
  form = std::make_unique<TMainForm>(view, services);
  view.events->onActivate();
  view.messages.clear();
  press();

  ASSERT_EQ(texts(),
            std::vector<std::string>{std::string("インストール先フォルダ \"") + kRoot +
                                     "\" に書き込めません。管理者として実行してください。"});
  EXPECT_EQ(view.messages[0].title, "エラー");
  EXPECT_FALSE(machine.has(std::string(kRoot) + "OLD_BIN"));
  EXPECT_TRUE(machine.has(std::string(kRoot) + "pictdesk.exe"));
  EXPECT_TRUE(requests().empty());
  EXPECT_TRUE(view.isEnabled(Control::DownLoadButton));
  expectIdle();
  form.reset();
}

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
