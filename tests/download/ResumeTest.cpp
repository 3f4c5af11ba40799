// A first run that was cut off is finished by the next press; a move that fails stops it with a
// box; the temporary files of a cut-off run go, and nothing else does.
#include <filesystem>
#include <set>

#include "download/Restructuring.h"
#include "tests/download/DownloadFixture.h"

namespace fs = std::filesystem;
using platform::Control;

namespace test {
namespace {

const std::string r = kRoot;
const std::string kMarker = r + "OLD_BIN\\" + download::kRestructuringMarker;

std::set<std::string> namesIn(const std::string& nativeFolder) {
  std::set<std::string> out;
  for (const auto& entry : fs::directory_iterator(nativeFolder)) {
    out.insert(entry.path().filename().string());
  }
  return out;
}

class ResumeTest : public DownloadTest {
 protected:
  // An old installation (pass (1) needed) of which the first run moved only some entries.
  void putHalfMoved(bool marker, bool newBinStarted) {
    putProgram(r + "OLD_BIN\\pictdesk.exe", 1, 0, 0, 0);
    machine.put(r + "OLD_BIN\\Template\\a.TXT", "template a");
    if (marker) machine.put(kMarker, "");
    machine.put(r + "FASTGLASS\\FASTGLASSI.OCX", "control");
    machine.put(r + "Layout\\b.lay", "layout b");
    machine.put(r + "PICTDESK.INI", "[Setting]\r\n");
    if (newBinStarted) machine.put(r + "NEW_BIN\\FASTGLASS\\FGVIEW.DLL", "viewer");
  }

  // The press ends at the first fetch; true when Cancel was offered for it.
  bool pressToFirstFetch() {
    m_mirror->setFault("PictDesk.ex_", {mirror::FaultKind::kStatus, 404, 0, 0});
    bool cancelOffered = true;
    view.onMessage = [&](const ShownMessage&) {
      cancelOffered = view.isVisible(Control::CancelButton) || view.isWindowEnabled();
    };
    press();
    view.onMessage = nullptr;
    return cancelOffered;
  }

  // OLD_BIN holds every entry and nothing else; NEW_BIN is seeded from it.
  void expectFinishedLayout(const std::string& alsoInOldBin = {}) {
    std::set<std::string> oldBin = {"pictdesk.exe", "Template", "FASTGLASS", "Layout",
                                    "PICTDESK.INI"};
    if (!alsoInOldBin.empty()) oldBin.insert(alsoInOldBin);
    EXPECT_EQ(namesIn(machine.native(r)), (std::set<std::string>{"OLD_BIN", "NEW_BIN"}));
    EXPECT_EQ(namesIn(machine.native(r + "OLD_BIN")), oldBin);
    EXPECT_EQ(machine.get(r + "NEW_BIN\\FASTGLASS\\FASTGLASSI.OCX"), "control");
    EXPECT_EQ(machine.get(r + "NEW_BIN\\template\\a.TXT"), "template a");
    EXPECT_EQ(machine.get(r + "NEW_BIN\\Layout\\b.lay"), "layout b");
    EXPECT_EQ(machine.get(r + "NEW_BIN\\PICTDESK.INI"), "[Setting]\r\n");
    EXPECT_TRUE(machine.has(r + "NEW_BIN\\Plugin"));
  }
};

TEST_F(ResumeTest, CutOffRestructuringIsFinishedByTheNextPress) {
  struct Row {
    const char* what;
    bool marker, newBinStarted;
  } rows[] = {
      {"cut off among the moves into OLD_BIN", true, false},
      {"cut off while NEW_BIN was seeded", true, true},
      {"split by an earlier version: no marker, no NEW_BIN", false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::error_code error;
    fs::remove_all(machine.native(r), error);
    putHalfMoved(row.marker, row.newBinStarted);
    openWindow({0, 1});
    const size_t before = requests().size();
    // As on a first run, the window stays locked and Cancel is not offered.
    EXPECT_FALSE(pressToFirstFetch());
    expectFinishedLayout();
    EXPECT_EQ(machine.get(r + "NEW_BIN\\FASTGLASS\\FGVIEW.DLL"), row.newBinStarted ? "viewer" : "");
    EXPECT_FALSE(machine.has(kMarker));
    EXPECT_EQ(requests().size() - before, 1u);
    EXPECT_EQ(requests().back(), "v128/PictDesk.ex_");
    EXPECT_EQ(texts(), std::vector<std::string>{"通信エラーが発生しました[1]\r\r404: Not Found"});
    expectIdle();
    form.reset();
  }
}

TEST_F(ResumeTest, AFinishedLayoutIsNotRestructuredAgain) {
  putTwoFolderInstallation(1, 0, 0, 0);
  machine.put(r + "PICTDESK.EXE", "launcher");  // the launcher pass (2) puts beside them
  openWindow({0, 1});
  EXPECT_TRUE(pressToFirstFetch());
  EXPECT_EQ(namesIn(machine.native(r)),
            (std::set<std::string>{"OLD_BIN", "NEW_BIN", "PICTDESK.EXE"}));
}

TEST_F(ResumeTest, AMoveThatFailsStopsWithABoxAndTheNextPressResumes) {
  putHalfMoved(true, false);
  // A file that would replace a folder of its name cannot move.
  machine.put(r + "OLD_BIN\\Data\\keep.txt", "kept");
  machine.put(r + "Data", "a file");
  openWindow({0, 1});
  press();
  EXPECT_EQ(texts(),
            std::vector<std::string>{"\"C:\\Brevan\\Data\" を OLD_BIN に移動できません。(128)"});
  EXPECT_EQ(view.messages[0].title, "エラー");
  EXPECT_TRUE(machine.has(kMarker));
  EXPECT_EQ(machine.get(r + "Data"), "a file");
  EXPECT_FALSE(machine.has(r + "NEW_BIN"));
  EXPECT_TRUE(requests().empty());
  expectIdle();

  fs::remove_all(machine.native(r + "OLD_BIN\\Data"));
  view.messages.clear();
  EXPECT_FALSE(pressToFirstFetch());
  expectFinishedLayout("Data");
  EXPECT_EQ(machine.get(r + "OLD_BIN\\Data"), "a file");
  EXPECT_FALSE(machine.has(kMarker));
}

TEST_F(ResumeTest, PassOneCutOffAfterItReplacedTheProgramRunsAgain) {
  // Pass (1) puts the new program in place among its first steps.
  putTwoFolderInstallation(1, 2, 9, 0);
  machine.put(r + "OLD_BIN\\" + download::kPassOneMarker, "");
  openWindow({0, 1});
  pressToFirstFetch();
  EXPECT_EQ(requests(), std::vector<std::string>{"v128/PictDesk.ex_"});
  EXPECT_TRUE(machine.has(r + "OLD_BIN\\" + download::kPassOneMarker));
}

TEST_F(ResumeTest, TemporaryFilesOfACutOffRunGoAndNothingElse) {
  putTwoFolderInstallation(1, 2, 9, 0);
  const std::vector<std::string> leftovers = {
      r + ".~brevan-4242-0",
      r + "OLD_BIN\\Template\\14年度\\KEN\\.~brevan-17-3",
      r + "NEW_BIN\\Plugin\\.~brevan-1-12",
      "C:\\TEMP\\BrvNewUp\\.~brevan-body-99-0",
      "C:\\TEMP\\BrvOldUp\\.~brevan-5-7",
      "C:\\WINDOWS\\.~brevan-8-1",
  };
  const std::vector<std::string> kept = {
      r + "NEW_BIN\\Plugin\\.~brevan-1-12.SPI",
      r + "NEW_BIN\\.~brevan-1",
      r + "NEW_BIN\\.~brevan-1-",
      r + "NEW_BIN\\.~brevan--1",
      r + "NEW_BIN\\.~brevan-x1-2",
      r + "NEW_BIN\\.~brevan-body-1",
      r + "NEW_BIN\\~brevan-1-2",
      r + "NEW_BIN\\.~BREVAN-1-2",
      r + "NEW_BIN\\.~brevan-restructuring-1-2",
      "C:\\WINDOWS\\Sub\\.~brevan-8-2",  // beside the settings file only, not below it
      "C:\\TEMP\\.~brevan-3-3",
  };
  for (const auto& path : leftovers) machine.put(path, "left");
  for (const auto& path : kept) machine.put(path, "user's");
  // A temporary copy of a read-only file is read-only itself.
  machine.setReadOnly("C:\\TEMP\\BrvOldUp\\.~brevan-5-7", true);
  // The program never makes a folder of such a name.
  machine.put(r + "NEW_BIN\\.~brevan-2-2\\inside.txt", "user's");
  openWindow({0, 1});
  pressToFirstFetch();
  for (const auto& path : leftovers) EXPECT_FALSE(machine.has(path)) << path;
  for (const auto& path : kept) EXPECT_EQ(machine.get(path), "user's") << path;
  EXPECT_EQ(machine.get(r + "NEW_BIN\\.~brevan-2-2\\inside.txt"), "user's");
}

}  // namespace
}  // namespace test
