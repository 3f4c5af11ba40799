// The expansion run on a real machine folder: steps, progress values, failures and clean-up.
#include <algorithm>
#include <filesystem>

#include "app/TextRules.h"
#include "download/FileTables.h"
#include "tests/app/WindowFixture.h"

using platform::Control;

namespace test {
namespace {

constexpr const char* kTarget = "C:\\B\\NEW_BIN\\";
constexpr const char* kWork = "C:\\TEMP\\BrvNewUp\\";
constexpr const char* kFatal = "コンポーネントの展開に失敗しました(4)終了します。";

class ExpansionRunTest : public WindowTest {
 protected:
  void SetUp() override {
    putSettings("C:\\B\\");
    machine.put(std::string(kTarget) + "plugin\\OLD200001.SPI", "old plug-in");
    create();
    view.messages.clear();
  }

  // Pass (2) with the standards of the given rows ticked; every download is a plain file,
  // which the expansion copies unchanged under its restored name.
  void preparePass2(std::initializer_list<int> rows) {
    form->FirstPass = false;
    form->InstallPath = kTarget;
    form->WorkPath = kWork;
    auto& list = *form->WorkList;
    list.assign(download::CommonFiles2.begin(), download::CommonFiles2.end());
    for (int row : rows) {
      for (std::string_view name : download::StandardFiles2[static_cast<size_t>(row)]) {
        if (!name.empty()) list.emplace_back(name);
      }
    }
    for (const auto& name : list) machine.put(kWork + name, "data:" + name);
    machine.put(std::string(kTarget) + "PictDesk.EXE", "installed program");
  }

  std::vector<std::string> progressCaptions() {
    return view.captionHistory[Control::ProgressLabel];
  }
};

TEST_F(ExpansionRunTest, PassTwoInstallsEveryStepShowsItsValuesAndCleansUp) {
  preparePass2({0});
  ASSERT_EQ(form->WorkList->size(), 58u);
  form->Unpress();

  // The expansion counts 58 entries, then the 23 steps show 4 to 92.
  auto captions = progressCaptions();
  auto first = std::find(captions.begin(), captions.end(), "4 / 100");
  ASSERT_NE(first, captions.end());
  std::vector<std::string> steps(first, captions.end());
  std::vector<std::string> expected;
  for (int n = 4; n <= 92; n += 4) expected.push_back(std::to_string(n) + " / 100");
  expected.push_back("Completed");
  EXPECT_EQ(steps, expected);
  EXPECT_LT(std::find(captions.begin(), captions.end(), "1 / 100"), first);
  EXPECT_EQ(*(first - 1), "100 / 100");
  EXPECT_EQ(view.progress(), 100);

  EXPECT_EQ(machine.get(std::string(kTarget) + "PictDesk.EXE"), "data:PictDesk.ex_");
  EXPECT_EQ(machine.get(std::string(kTarget) + "FormDesigner.EXE"), "data:FormDesigner.Ex_");
  EXPECT_EQ(machine.get("C:\\B\\PICTDESK.EXE"), "data:DeskRun.Ex_");
  EXPECT_FALSE(machine.has(std::string(kTarget) + "DeskRun.EXE"));
  EXPECT_EQ(machine.get(std::string(kTarget) + "EXIF.DLL"), "data:EXIF.DL_");
  EXPECT_EQ(machine.get(std::string(kTarget) + "PICTDESK.INI"), "data:PICTDESK.IN_");
  EXPECT_EQ(machine.get(std::string(kTarget) + "Template\\港湾\\KEN\\LIST.TXT"), "data:LIST.KO_");
  EXPECT_EQ(machine.get(std::string(kTarget) + "Template\\日本道路公団\\KEN\\TEMPLATE.TXT"),
            "data:TEMPLATE.JH_");
  for (const char* folder : {"corins0.0", "corins5.0", "corins6.0", "ヘルプ"}) {
    EXPECT_TRUE(machine.services().files.folderExists(kTarget + std::string(folder))) << folder;
  }
  // Sixteen plug-ins of the ticked standard; the old one set aside.
  auto plugins = machine.services().files.find(std::string(kTarget) + "plugin\\*.SPI");
  EXPECT_EQ(plugins.size(), 16u);
  EXPECT_EQ(machine.get(std::string(kTarget) + "plugin\\OLD200001.BAK"), "old plug-in");
  EXPECT_EQ(machine.get(std::string(kTarget) + "plugin\\MLIT200207.SPI"), "data:MLIT200207.sp_");

  // Only the backup of the main program stays in the work folder.
  std::vector<std::string> left;
  for (const auto& e : machine.services().files.find(std::string(kWork) + "*")) {
    if (e.name != "." && e.name != "..") left.push_back(e.name);
  }
  EXPECT_EQ(left, std::vector<std::string>{"PictDesk.OLD"});
  // The backup is taken last, of the program the first program step has just installed.
  EXPECT_EQ(machine.get(std::string(kWork) + "PictDesk.OLD"), "data:PictDesk.ex_");

  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, "アップデートが完了しました。終了します。");
  EXPECT_EQ(view.messages[0].kind, platform::MessageKind::Information);
  EXPECT_TRUE(form->closed());
  EXPECT_TRUE(view.isWindowEnabled());
}

TEST_F(ExpansionRunTest, TemplateFolderThatCannotBeCreatedEndsTheRun) {
  preparePass2({0});
  machine.put(std::string(kTarget) + "Template", "a file where the folder should be");
  form->Unpress();
  ASSERT_EQ(view.messages.size(), 1u);
  const std::string text = view.messages[0].text;
  const std::string start = std::string(
                                "コンポーネントの展開[Template\\14年度\\KEN "
                                "CreateFolder]に失敗しました。終了します。\r\r") +
                            kFatal + "\r";
  ASSERT_EQ(text.rfind(start, 0), 0u) << text;
  EXPECT_NE(text.substr(start.size()), "0");  // the platform's last error code
  EXPECT_EQ(view.messages[0].kind, platform::MessageKind::Error);
  EXPECT_TRUE(form->closed());
  // The steps before the failure stay done.
  EXPECT_EQ(machine.get(std::string(kTarget) + "PICTDESK.INI"), "data:PICTDESK.IN_");
}

TEST_F(ExpansionRunTest, OldPluginsThatCannotBeSetAsideEndTheRun) {
  preparePass2({1});
  machine.put(std::string(kTarget) + "plugin\\KEEP.BAK", "read-only backup");
  machine.setReadOnly(std::string(kTarget) + "plugin\\KEEP.BAK", true);
  form->Unpress();
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text.rfind(
                std::string("コンポーネントの展開[RenameSPI]に失敗しました。終了します。\r\r") +
                    kFatal + "\r5",
                0),
            0u)
      << view.messages[0].text;
}

TEST_F(ExpansionRunTest, BadPluginDownloadLeavesTheLivePluginsInPlace) {
  for (bool empty : {true, false}) {
    SCOPED_TRACE(empty ? "empty download" : "missing download");
    preparePass2({0});
    form->ExpandDownloads();
    const std::string bad = app::changeExtension((*form->WorkList)[45], ".SPI");
    std::error_code error;
    std::filesystem::remove(machine.native(kWork + bad), error);
    if (empty) machine.put(kWork + bad, "");
    form->InstallPath = kTarget;
    try {
      form->InstallPlugins(42);
      ADD_FAILURE() << "the bad copy went unnoticed";
    } catch (const std::exception& e) {
      EXPECT_STREQ(e.what(), "コンポーネントの展開[45]に失敗しました。終了します。\r");
    }
    EXPECT_EQ(machine.get(std::string(kTarget) + "plugin\\OLD200001.SPI"), "old plug-in");
    EXPECT_FALSE(machine.has(std::string(kTarget) + "plugin\\OLD200001.BAK"));
  }
}

TEST_F(ExpansionRunTest, SettingsFileOfTheCurrentFormatIsKept) {
  struct Row {
    const char* installed;
    bool kept;
  } rows[] = {{"[MediaLabelPrintSet]\r\nSettingNameCount=0\r\n", true},
              {"[MediaLabelPrintSet]\r\nSettingNameCount=-1\r\n", false},
              // Only -1 means "no count": any other number, negative too, is the current format.
              {"[MediaLabelPrintSet]\r\nSettingNameCount=-2\r\n", true},
              {"[Other]\r\nSettingNameCount=3\r\n", false},
              {"[MediaLabelPrintSet]\r\nSettingNameCount=many\r\n", false}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.installed);
    preparePass2({0});
    machine.put(std::string(kTarget) + "PICTDESK.INI", r.installed);
    machine.put(std::string(kWork) + "PICTDESK.INI", "data:PICTDESK.IN_");
    form->InstallSettingsFile(11);
    EXPECT_EQ(machine.get(std::string(kTarget) + "PICTDESK.INI"),
              r.kept ? std::string(r.installed) : "data:PICTDESK.IN_");
  }
}

// Each step shows its own stage: a step that fails leaves its number on the label.
TEST_F(ExpansionRunTest, TheStageOnTheLabelIsThatOfTheStepThatRuns) {
  const struct {
    int position;  // whose download is missing, so that its step fails
    int stage;
  } rows[] = {{0, 4}, {8, 8}, {11, 16}, {12, 20}, {32, 60}, {40, 84}, {42, 88}};  // each kind
  for (const auto& row : rows) {
    SCOPED_TRACE(row.position);
    create();  // a failed run closes the window
    preparePass2({0});
    std::filesystem::remove(machine.native(kWork + (*form->WorkList)[row.position]));
    std::string shown;
    view.onMessage = [&](const ShownMessage& message) {
      if (message.kind == platform::MessageKind::Error) {
        shown = view.captionHistory[Control::ProgressLabel].back();
      }
    };
    form->Unpress();
    EXPECT_EQ(shown, std::to_string(row.stage) + " / 100");
    EXPECT_EQ(view.progress(), row.stage);
    view.messages.clear();
  }
}

TEST_F(ExpansionRunTest, FailedExpansionIsRetriedReportedAndNeverInstalled) {
  preparePass2({0});
  machine.put(std::string(kWork) + "StepDlg.ex_", "");
  machine.put(std::string(kTarget) + "StepDlg.EXE", "the user's working program");
  // Each attempt leaves an empty restored copy; the first pump of each wait takes it away, so
  // the copies seen count the attempts that were followed by a wait.
  const std::string restored = std::string(kWork) + "StepDlg.EXE";
  int attempts = 0;
  view.onProcessMessages = [&] {
    if (!machine.has(restored)) return;
    ++attempts;
    std::filesystem::remove(machine.native(restored));
  };
  form->Unpress();
  // Exactly three attempts, each followed by a ten-second wait on the monotonic (fake) clock.
  EXPECT_EQ(attempts, 3);
  EXPECT_EQ(machine.clock.dateReadings, 0);
  ASSERT_EQ(view.messages.size(), 2u);
  EXPECT_EQ(view.messages[0].text, "StepDlg.ex_\rStepDlg.EXE\r展開に失敗しています。");
  EXPECT_EQ(view.messages[0].kind, platform::MessageKind::Information);
  EXPECT_EQ(view.messages[1].text.rfind(
                std::string("コンポーネントの展開[1]に失敗しました。終了します。\r\r") + kFatal, 0),
            0u)
      << view.messages[1].text;
  // An empty restored copy never replaces an installed file.
  EXPECT_EQ(machine.get(std::string(kTarget) + "StepDlg.EXE"), "the user's working program");
}

TEST_F(ExpansionRunTest, EveryExpansionShareIsWholeNumberArithmetic) {
  // One file listed many times: the label counts entries, whatever they name.
  form->WorkPath = kWork;
  machine.put(std::string(kWork) + "F.TX_", "data");
  for (size_t count = 1; count <= 250; ++count) {
    form->WorkList->assign(count, "F.TX_");
    view.captionHistory.clear();
    form->ExpandDownloads();
    std::vector<std::string> expected;
    for (size_t n = 1; n <= count; ++n)
      expected.push_back(std::to_string(n * 100 / count) + " / 100");
    ASSERT_EQ(progressCaptions(), expected) << count << " entries";
  }
  EXPECT_TRUE(view.messages.empty());
}

TEST_F(ExpansionRunTest, PassOneReturnsWithTheWindowEnabled) {
  form->FirstPass = true;
  form->InstallPath = "C:\\B\\OLD_BIN\\";
  form->WorkPath = "C:\\TEMP\\BrvOldUp\\";
  auto& list = *form->WorkList;
  list.assign(download::CommonFiles1.begin(), download::CommonFiles1.end());
  list.emplace_back(download::StandardFiles1[4][0]);
  for (const auto& name : list) machine.put(form->WorkPath + name, "data:" + name);
  machine.put("C:\\B\\OLD_BIN\\PictDesk.EXE", "old");
  machine.put("C:\\B\\OLD_BIN\\plugin\\OITA199901.SPI", "old plug-in");
  form->Unpress();
  EXPECT_TRUE(view.messages.empty()) << view.messages[0].text;
  EXPECT_FALSE(form->closed());
  EXPECT_TRUE(view.isWindowEnabled());
  EXPECT_EQ(view.caption(Control::ProgressLabel), "Completed");
  EXPECT_EQ(view.caption(Control::MsgLabel), "アップデートコンポーネント(1)の展開...");
  EXPECT_EQ(machine.get("C:\\B\\OLD_BIN\\BRVHELP.EXE"), "data:BRVHELP.EX_");
  EXPECT_EQ(machine.get("C:\\B\\OLD_BIN\\Template\\14年度\\NOU\\LIST.TXT"), "data:LIST.4N_");
  EXPECT_EQ(machine.get("C:\\B\\OLD_BIN\\plugin\\OITA200104.SPI"), "data:OITA200104.SP_");
  // Pass (1) shows no step values.
  auto captions = progressCaptions();
  EXPECT_EQ(std::count(captions.begin(), captions.end(), "4 / 100"), 1);  // 1 of 24 entries
}

}  // namespace
}  // namespace test
