// The start of the download sequence on a real machine folder: the first-run move into OLD_BIN
// and NEW_BIN, the decision on pass (1) by version text, and a pass without plug-in files.
#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "download/RunMarkers.h"
#include "tests/download/DownloadFixture.h"

namespace fs = std::filesystem;
using platform::Control;

namespace test {
namespace {

using RestructuringTest = DownloadTest;

// The names in a native folder, as stored.
std::set<std::string> namesIn(const std::string& nativeFolder) {
  std::set<std::string> out;
  for (const auto& entry : fs::directory_iterator(nativeFolder)) {
    out.insert(entry.path().filename().string());
  }
  return out;
}

TEST_F(RestructuringTest, FirstRunMovesTheInstallationIntoOldBinAndSeedsNewBin) {
  const std::string r = kRoot;
  putProgram(r + "pictdesk.exe", 1, 2, 9, 0);  // pass (1) is not needed
  machine.put(r + "PICTDESK.INI", "[Setting]\r\nA=1\r\n");
  machine.put(r + "KQVIEWER.INI", "[Viewer]\r\n");
  machine.put(r + "BVUNINST.EXE", "uninstaller");
  machine.put(r + "fastglass\\FASTGLASSI.OCX", "control");
  machine.put(r + "fastglass\\sub\\x.dat", "sub");
  machine.put(r + "Template\\a.TXT", "template a");
  machine.put(r + "Template\\14年度\\KEN\\k.txt", "template k");
  machine.put(r + "layout\\b.lay", "layout b");
  machine.put(r + "ヘルプ\\index.htm", "help");
  machine.put(r + "Data\\ro.txt", "read-only");
  machine.put(r + "Data\\deep\\ro2.txt", "read-only too");
  machine.setReadOnly(r + "Data\\ro.txt", true);
  machine.setReadOnly(r + "Data\\deep\\ro2.txt", true);
  machine.setReadOnly(r + "BVUNINST.EXE", true);
  machine.setReadOnly(r + "Data", true);
  openWindow({0, 1});
  // The registration program here is a script that notes its arguments; the sequence waits for
  // it before the first fetch, which this fault ends at once.
  machine.put(r + "fastglass\\regsvr32.exe",
              "#!/bin/sh\nsleep 0.05\necho \"$@\" > \"$(dirname \"$0\")/registered.txt\"\n");
  ::chmod(machine.native(r + "fastglass\\regsvr32.exe").c_str(), 0755);
  m_mirror->setFault("PictDesk.ex_", {mirror::FaultKind::kStatus, 404, 0, 0});
  bool registeredBeforeFetch = false;
  bool cancelOffered = false;
  view.onMessage = [&](const ShownMessage&) {
    registeredBeforeFetch = machine.has(r + "NEW_BIN\\FASTGLASS\\registered.txt");
    cancelOffered = view.isVisible(Control::CancelButton) && view.isWindowEnabled();
  };
  press();

  EXPECT_EQ(namesIn(machine.native(r)), (std::set<std::string>{"OLD_BIN", "NEW_BIN"}));
  EXPECT_EQ(namesIn(machine.native(r + "OLD_BIN")),
            (std::set<std::string>{"pictdesk.exe", "PICTDESK.INI", "KQVIEWER.INI", "BVUNINST.EXE",
                                   "fastglass", "Template", "layout", "ヘルプ", "Data"}));
  EXPECT_EQ(machine.get(r + "OLD_BIN\\Template\\14年度\\KEN\\k.txt"), "template k");
  EXPECT_EQ(machine.get(r + "OLD_BIN\\ヘルプ\\index.htm"), "help");
  EXPECT_TRUE(namesIn(machine.native(r + "OLD_BIN\\fastglass")).empty());
  EXPECT_EQ(namesIn(machine.native(r + "NEW_BIN")),
            (std::set<std::string>{"FASTGLASS", "Plugin", "template", "Layout", "BVUNINST.EXE",
                                   "KQVIEWER.INI", "PICTDESK.INI"}));
  EXPECT_EQ(machine.get(r + "NEW_BIN\\FASTGLASS\\FASTGLASSI.OCX"), "control");
  EXPECT_EQ(machine.get(r + "NEW_BIN\\FASTGLASS\\sub\\x.dat"), "sub");
  EXPECT_EQ(machine.get(r + "NEW_BIN\\template\\a.TXT"), "template a");
  EXPECT_EQ(machine.get(r + "NEW_BIN\\template\\14年度\\KEN\\k.txt"), "template k");
  EXPECT_EQ(machine.get(r + "NEW_BIN\\Layout\\b.lay"), "layout b");
  EXPECT_EQ(machine.get(r + "NEW_BIN\\PICTDESK.INI"), "[Setting]\r\nA=1\r\n");
  EXPECT_EQ(machine.get(r + "NEW_BIN\\KQVIEWER.INI"), "[Viewer]\r\n");
  EXPECT_EQ(machine.get(r + "NEW_BIN\\BVUNINST.EXE"), "uninstaller");

  auto& files = machine.services().files;
  for (const char* path : {"OLD_BIN\\Data\\ro.txt", "OLD_BIN\\Data\\deep\\ro2.txt",
                           "OLD_BIN\\BVUNINST.EXE", "OLD_BIN\\Data", "NEW_BIN\\BVUNINST.EXE"}) {
    SCOPED_TRACE(path);
    auto attributes = files.attributes(r + path);
    ASSERT_TRUE(attributes.has_value());
    EXPECT_EQ(*attributes & platform::kAttrReadOnly, 0u);
  }

  EXPECT_EQ(machine.get(r + "NEW_BIN\\FASTGLASS\\registered.txt"),
            "/s C:\\Brevan\\NEW_BIN\\FASTGLASS\\FASTGLASSI.OCX\n");
  EXPECT_TRUE(registeredBeforeFetch);
  // Pass (1) was skipped, so pass (2) offers Cancel again.
  EXPECT_TRUE(cancelOffered);
  EXPECT_EQ(requests(), std::vector<std::string>{"20251299/PictDesk.ex_"});
  EXPECT_EQ(texts(), std::vector<std::string>{
                         "通信エラーが発生しました[1]\rPictDesk.ex_\r\r404: Not Found"});
  EXPECT_EQ(form->InstallPath, "C:\\Brevan\\New_BIN\\");
  expectIdle();
}

TEST_F(RestructuringTest, FirstRunOfAnOldProgramRunsBothPassesWithTheWindowLocked) {
  const std::string r = kRoot;
  putProgram(r + "pictdesk.exe", 1, 0, 0, 0);
  machine.put(r + "PICTDESK.INI", "[Setting]\r\n");
  machine.put(r + "Plugin\\old.SPI", "old plug-in");
  openWindow({0, 1});
  int fetchesSeen = 0;
  int lockedDuringFetch = 0;
  view.onProcessMessages = [&] {
    if (!form->running() || form->CurrentItem == 0) return;
    ++fetchesSeen;
    lockedDuringFetch += !view.isWindowEnabled() && !view.isVisible(Control::CancelButton) &&
                         !view.isVisible(Control::DownLoadButton);
  };
  press();
  view.onProcessMessages = nullptr;
  EXPECT_EQ(requestsUnder("v128"), 40u);
  EXPECT_EQ(requestsUnder("20251299"), 66u);
  EXPECT_TRUE(unpressStarted(1));
  EXPECT_TRUE(unpressStarted(2));
  EXPECT_GT(fetchesSeen, 0);
  EXPECT_EQ(lockedDuringFetch, fetchesSeen);
  // Nothing marks a run under way once it has finished.
  EXPECT_FALSE(machine.has(r + "OLD_BIN\\" + download::kPassOneMarker));
  EXPECT_FALSE(machine.has(r + "OLD_BIN\\" + download::kRestructuringMarker));
  EXPECT_EQ(texts(), std::vector<std::string>{"アップデートが完了しました。終了します。"});
  EXPECT_EQ(machine.get(r + "OLD_BIN\\pictdesk.exe"), contentOf("PictDesk.ex_"));
  EXPECT_EQ(machine.get(r + "NEW_BIN\\PictDesk.EXE"), contentOf("PictDesk.ex_"));
}

TEST_F(RestructuringTest, RegistrationThatCannotStartPassesSilently) {
  const std::string r = kRoot;
  putProgram(r + "pictdesk.exe", 1, 2, 9, 0);
  machine.put(r + "FASTGLASS\\FASTGLASSI.OCX", "control");
  machine.put(r + "FASTGLASS\\regsvr32.exe", "MZ a Windows program");
  openWindow({0, 1});
  m_mirror->setFault("PictDesk.ex_", {mirror::FaultKind::kStatus, 404, 0, 0});
  press();
  EXPECT_EQ(texts(), std::vector<std::string>{
                         "通信エラーが発生しました[1]\rPictDesk.ex_\r\r404: Not Found"});
  EXPECT_EQ(machine.get(r + "NEW_BIN\\FASTGLASS\\regsvr32.exe"), "MZ a Windows program");
}

TEST_F(RestructuringTest, ClosingTheWindowWhileTheControlRegistersEndsTheSequence) {
  const std::string r = kRoot;
  putProgram(r + "pictdesk.exe", 1, 0, 0, 0);
  machine.put(r + "FASTGLASS\\regsvr32.exe", "#!/bin/sh\nsleep 0.1\n");
  ::chmod(machine.native(r + "FASTGLASS\\regsvr32.exe").c_str(), 0755);
  openWindow({0, 1});
  bool closed = false;
  view.onProcessMessages = [&] {
    if (!closed) closed = view.events->onClose();
  };
  press();
  view.onProcessMessages = nullptr;
  ASSERT_TRUE(closed);
  EXPECT_TRUE(form->closed());
  EXPECT_TRUE(requests().empty());
  EXPECT_TRUE(view.messages.empty());
  EXPECT_TRUE(machine.has(r + "NEW_BIN\\FASTGLASS\\regsvr32.exe"));
}

TEST_F(RestructuringTest, AnOldBinInAnyCaseMeansTheLayoutIsDone) {
  const std::string r = kRoot;
  putProgram(r + "old_bin\\pictdesk.exe", 1, 2, 9, 0);
  machine.put(r + "new_bin\\Plugin\\keep.txt", "x");
  machine.put(r + "PICTDESK.INI", "[Setting]\r\n");
  machine.put(r + "FASTGLASS\\FASTGLASSI.OCX", "control");
  openWindow({0, 1});
  m_mirror->setFault("PictDesk.ex_", {mirror::FaultKind::kStatus, 404, 0, 0});
  press();
  EXPECT_EQ(namesIn(machine.native(r)),
            (std::set<std::string>{"old_bin", "new_bin", "PICTDESK.INI", "FASTGLASS"}));
  EXPECT_EQ(requests(), std::vector<std::string>{"20251299/PictDesk.ex_"});
}

TEST_F(RestructuringTest, PassOneRunsOnlyForAnOldProgramByTextOrder) {
  struct Row {
    const char* what;
    bool firstRun;   // the program still sits in the installation folder
    int version[4];  // major < 0: no program; major == 99: a file without version information
    bool passOne;
  } rows[] = {
      {"v1.2.9.0 is above v1.2.9", false, {1, 2, 9, 0}, false},
      {"v2.0.0.0", false, {2, 0, 0, 0}, false},
      {"v1.10.0.0 is below v1.2.9 as text", false, {1, 10, 0, 0}, true},
      {"v1.2.10.0 is below v1.2.9 as text", false, {1, 2, 10, 0}, true},
      {"v1.2.8.9", false, {1, 2, 8, 9}, true},
      {"no program", false, {-1, 0, 0, 0}, true},
      {"no version information", false, {99, 0, 0, 0}, true},
      {"first run, v1.2.9.0", true, {1, 2, 9, 0}, false},
      {"first run, v1.10.0.0", true, {1, 10, 0, 0}, true},
  };
  m_mirror->setFault("PictDesk.ex_", {mirror::FaultKind::kStatus, 404, 0, 0});
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    std::error_code error;
    fs::remove_all(machine.native(kRoot), error);
    std::string folder = std::string(kRoot) + (row.firstRun ? "" : "OLD_BIN\\");
    machine.put(std::string(kRoot) + "NEW_BIN\\Plugin\\keep.txt", "x");
    if (!row.firstRun) machine.put(std::string(kRoot) + "OLD_BIN\\PICTDESK.INI", "[Setting]\r\n");
    if (row.version[0] == 99) {
      machine.put(folder + "pictdesk.exe", "no version resource here");
    } else if (row.version[0] >= 0) {
      putProgram(folder + "pictdesk.exe", static_cast<uint16_t>(row.version[0]),
                 static_cast<uint16_t>(row.version[1]), static_cast<uint16_t>(row.version[2]),
                 static_cast<uint16_t>(row.version[3]));
    }
    openWindow({0, 1});
    size_t before = requests().size();
    bool cancelOffered = false;
    bool windowEnabled = false;
    view.onMessage = [&](const ShownMessage&) {
      cancelOffered = view.isVisible(Control::CancelButton);
      windowEnabled = view.isWindowEnabled();
    };
    press();
    view.onMessage = nullptr;

    auto all = requests();
    ASSERT_EQ(all.size() - before, 1u);
    EXPECT_EQ(all.back(), row.passOne ? "v128/PictDesk.ex_" : "20251299/PictDesk.ex_");
    EXPECT_EQ(form->FirstPass, row.passOne);
    EXPECT_EQ(form->WorkPath, row.passOne ? "C:\\TEMP\\BrvOldUp\\" : "C:\\TEMP\\BrvNewUp\\");
    // A first run hides Cancel and locks the window for pass (1); a skipped pass (1) offers it.
    bool offered = !(row.firstRun && row.passOne);
    EXPECT_EQ(cancelOffered, offered);
    EXPECT_EQ(windowEnabled, offered);
    expectIdle();
    form.reset();
  }
}

TEST_F(RestructuringTest, PassOneWithoutPluginFilesEndsTheWholeSequence) {
  putTwoFolderInstallation(1, 0, 0, 0);
  openWindow({11, 12, 13, 14});
  press();
  ASSERT_EQ(texts(), std::vector<std::string>{"基準が選択されていません"});
  EXPECT_EQ(view.messages[0].title, "情報");
  EXPECT_EQ(view.messages[0].kind, platform::MessageKind::Information);
  EXPECT_TRUE(requests().empty());
  EXPECT_EQ(form->WorkList->size(), 23u);
  EXPECT_TRUE(form->FirstPass);
  expectIdle();
}

TEST_F(RestructuringTest, PassTwoHasPluginFilesForTheLaterStandards) {
  putTwoFolderInstallation(1, 2, 9, 0);
  openWindow({11});
  m_mirror->setFault("PictDesk.ex_", {mirror::FaultKind::kStatus, 404, 0, 0});
  press();
  EXPECT_EQ(requests(), std::vector<std::string>{"20251299/PictDesk.ex_"});
  EXPECT_EQ(*form->WorkList, expectedList(false, {11}));
  EXPECT_EQ(form->WorkList->size(), 46u);
}

}  // namespace
}  // namespace test
