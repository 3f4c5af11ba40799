// Whole passes of the expansion run on mscompress-made downloads and jlha-made archives.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tests/install/ExpansionFixture.h"

namespace test {
namespace {

using platform::Control;

constexpr std::time_t kArchiveStamp = 1080788400;  // 2004-04-01 12:00:00 JST (fixtures)

std::string stem(const std::string& entry) { return entry.substr(0, entry.rfind('.')); }

// The template folders of pass (2) with the first position of their pair.
const std::vector<std::pair<std::string, int>> kTemplates2 = {
    {"14年度\\KEN", 12},       {"14年度\\NOU", 14},       {"16年度\\KEN", 16}, {"16年度\\NOU", 18},
    {"日本道路公団\\KEN", 20}, {"日本高速道路\\KEN", 22}, {"建築\\KEN", 24},   {"20年度\\KEN", 26},
    {"21年度\\NOU", 28},       {"空港\\KEN", 30},         {"港湾\\KEN", 32}};

// The archived files of a fixture archive, as given to jlha.
std::vector<std::string> archived(const std::string& archive) {
  if (archive == "CORINS0") return {"corins0.0/data.txt", "corins0.0/表/ソフト.csv"};
  if (archive == "CORINS5") return {"corins5.0/KOUJI.DAT", "corins5.0/sub/readme.txt"};
  if (archive == "CORINS6") return {"corins6.0/data6.txt"};
  return {"ヘルプ/index.htm", "ヘルプ/画像/logo.gif"};
}

std::string windowsPath(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

class ExpansionPassTest : public ExpansionTest {
 protected:
  // Every archived file stands beneath the target folder under its stored folder names (the
  // destination handed to the library is the target folder itself), with its bytes and stamp.
  void expectArchiveInstalled(const std::string& target, const std::string& archive) {
    for (const auto& member : archived(archive)) {
      SCOPED_TRACE(member);
      const std::string installed = target + windowsPath(member);
      ASSERT_TRUE(machine.has(installed));
      EXPECT_EQ(machine.get(installed), fixture("src/" + archive + "/" + member));
      EXPECT_EQ(mtimeOf(installed), kArchiveStamp);
    }
  }
};

TEST_F(ExpansionPassTest, PassTwoWithTheFirstStandardInstallsEveryFileAndKeepsOnlyTheBackup) {
  preparePassTwo({0});
  const std::vector<std::string> list = *form->WorkList;
  ASSERT_EQ(list.size(), 58u);  // 42 common names and the 16 of the first standard
  stageDownloads();
  runUnpress();

  // The completion box, then the window closes.
  ASSERT_EQ(view.messages.size(), 1u) << ::testing::PrintToString(texts());
  EXPECT_EQ(view.messages[0].kind, platform::MessageKind::Information);
  EXPECT_EQ(view.messages[0].text, "アップデートが完了しました。終了します。");
  EXPECT_EQ(view.messages[0].buttons, platform::MessageButtons::Ok);
  EXPECT_TRUE(view.closePosted);
  EXPECT_TRUE(form->closed());
  EXPECT_TRUE(view.windowEnabled);
  EXPECT_EQ(view.cursor, platform::CursorShape::Default);
  EXPECT_FALSE(view.isVisible(Control::CancelButton));
  EXPECT_FALSE(view.isVisible(Control::DownLoadButton));

  EXPECT_EQ(listing(kNewBin),
            (std::vector<std::string>{"BrvCadX.EXE", "BrvHelp.EXE",          "CoreApi.DLL",
                                      "EXIF.DLL",    "FormDesigner.EXE",     "Install.ini",
                                      "MAILOUT.DLL", "MakeLedger_Facil.EXE", "MakeLedger_Mech.EXE",
                                      "PAGESET.EXE", "PICTDESK.INI",         "PictDesk.EXE",
                                      "Plugin/",     "ShotDate.DLL",         "StepDlg.EXE",
                                      "Template/",   "XFRM130.EXE",          "XmlPeek.EXE",
                                      "corins0.0/",  "corins5.0/",           "corins6.0/",
                                      "ヘルプ/"}));
  for (int p : {0, 1, 2, 3, 4, 5, 6, 7, 38, 39}) {
    SCOPED_TRACE(list[p]);
    EXPECT_EQ(machine.get(kNewBin + stem(list[p]) + ".EXE"), contentOf(list[p]));
  }
  for (int p : {9, 10, 40, 41}) {
    SCOPED_TRACE(list[p]);
    EXPECT_EQ(machine.get(kNewBin + stem(list[p]) + ".DLL"), contentOf(list[p]));
  }
  EXPECT_EQ(machine.get(std::string(kNewBin) + "PICTDESK.INI"), contentOf("PICTDESK.IN_"));

  // DeskRun goes one folder up as the launcher, and nowhere else.
  EXPECT_EQ(listing(kRoot),
            (std::vector<std::string>{"Install.ini", "NEW_BIN/", "OLD_BIN/", "PICTDESK.EXE"}));
  EXPECT_EQ(machine.get(std::string(kRoot) + "PICTDESK.EXE"), contentOf("DeskRun.Ex_"));

  // Eleven template folders, two files each.
  std::vector<std::string> templates;
  for (const auto& [folder, p] : kTemplates2) {
    SCOPED_TRACE(folder);
    const std::string base = std::string(kNewBin) + "Template\\" + folder + "\\";
    EXPECT_EQ(machine.get(base + "LIST.TXT"), contentOf(list[p]));
    EXPECT_EQ(machine.get(base + "TEMPLATE.TXT"), contentOf(list[p + 1]));
    std::string relative = folder;
    relative.replace(relative.find('\\'), 1, "/");
    templates.push_back(relative + "/LIST.TXT");
    templates.push_back(relative + "/TEMPLATE.TXT");
  }
  std::sort(templates.begin(), templates.end());
  EXPECT_EQ(tree(std::string(kNewBin) + "Template"), templates);

  // The archives fill the folders made for them (corins5.0 did not exist before).
  for (const char* archive : {"CORINS0", "CORINS5", "CORINS6"}) {
    SCOPED_TRACE(archive);
    expectArchiveInstalled(kNewBin, archive);
  }
  EXPECT_EQ(tree(std::string(kNewBin) + "corins0.0"),
            (std::vector<std::string>{"data.txt", "表/ソフト.csv"}));
  EXPECT_EQ(tree(std::string(kNewBin) + "corins5.0"),
            (std::vector<std::string>{"KOUJI.DAT", "sub/readme.txt"}));

  // Sixteen plug-ins, named ".SPI" whatever the case of the downloaded extension.
  std::vector<std::string> plugins;
  for (size_t p = 42; p < list.size(); ++p) {
    SCOPED_TRACE(list[p]);
    plugins.push_back(stem(list[p]) + ".SPI");
    EXPECT_EQ(machine.get(std::string(kNewBin) + "Plugin\\" + plugins.back()), contentOf(list[p]));
  }
  std::sort(plugins.begin(), plugins.end());
  EXPECT_EQ(listing(std::string(kNewBin) + "Plugin"), plugins);

  // The clean-up leaves only the main program's backup.
  EXPECT_EQ(listing(kWork2), std::vector<std::string>{"PictDesk.OLD"});
  EXPECT_EQ(machine.get(std::string(kWork2) + "PictDesk.OLD"), contentOf("PictDesk.ex_"));
}

TEST_F(ExpansionPassTest, PassTwoShowsTheTwentyThreeStageValuesAfterTheExpansion) {
  preparePassTwo({0});
  stageDownloads();
  runUnpress();

  EXPECT_EQ(view.captionHistory[Control::MsgLabel],
            std::vector<std::string>{"アップデートコンポーネント(2)の展開..."});
  // The expansion: (i + 1) / 58 of 100 on the label, i * 1 + 1 on the bar (w = 100 / 59).
  std::vector<std::string> captions;
  std::vector<int> progress;
  for (int i = 0; i < 58; ++i) {
    captions.push_back(std::to_string((i + 1) * 100 / 58) + " / 100");
    progress.push_back(i + 2);
    progress.push_back(i + 1);
  }
  // Then the steps: the label shows n, the bar passes n + 1 and stands at n.
  for (int n = 4; n <= 92; n += 4) {
    captions.push_back(std::to_string(n) + " / 100");
    progress.push_back(n + 1);
    progress.push_back(n);
  }
  captions.push_back("Completed");
  progress.push_back(100);
  EXPECT_EQ(view.captionHistory[Control::ProgressLabel], captions);
  EXPECT_EQ(view.progressHistory, progress);
}

TEST_F(ExpansionPassTest, PassTwoFillsTheHelpFolderFromTheMergeFile) {
  preparePassTwo({0});
  stageDownloads();
  const std::time_t before = std::time(nullptr);
  runUnpress();
  ASSERT_EQ(texts(), std::vector<std::string>{"アップデートが完了しました。終了します。"});

  const std::string help = std::string(kNewBin) + "ヘルプ\\";
  EXPECT_EQ(tree(help), (std::vector<std::string>{"badtime.htm", "css/Style.Css", "css/print.CSS",
                                                  "data/manual.pdf", "empty.dat", "empty.htm",
                                                  "index.htm", "js/lib/deep/app.js", "kept.htm",
                                                  "marker.htm", "画像/表紙.gif"}));
  // Pages as they stand (CP932, never re-encoded), each line ended by CR LF.
  EXPECT_EQ(machine.get(help + "index.htm"), cp932("<html><head><title>ヘルプ</title></head>\r\n"
                                                   "<body>表示とソフトの説明</body></html>\r\n"));
  EXPECT_EQ(machine.get(help + "css\\Style.Css"), "body { color: black; }\r\nh1 { }\r\n");
  EXPECT_EQ(machine.get(help + "css\\print.CSS"), "@media print { }\r\n");
  EXPECT_EQ(machine.get(help + "js\\lib\\deep\\app.js"),
            "function show() {\r\n  return 1;\r\n}\r\n");
  EXPECT_EQ(machine.get(help + "marker.htm"), " \x81\xA1#HELP_FILE_END#\x81\xA1\r\nafter\r\n");
  // Binary files decoded from upper- and lower-case hexadecimal.
  std::string gif = "GIF89a";
  for (int b = 0; b < 256; ++b) gif += static_cast<char>(b);
  for (int k = 0; k < 8; ++k) gif += std::string("\x00\xff", 2);
  EXPECT_EQ(machine.get(help + "画像\\表紙.gif"), gif);
  std::string pdf = "%PDF-1.4\n";
  for (int b = 255; b >= 0; b -= 3) pdf += static_cast<char>(b);
  EXPECT_EQ(machine.get(help + "data\\manual.pdf"), pdf);
  EXPECT_EQ(machine.get(help + "empty.htm"), "");
  EXPECT_EQ(machine.get(help + "empty.dat"), "");
  EXPECT_EQ(machine.get(help + "kept.htm"), "");

  // Each file carries its block's DOS stamp, read as Tokyo time.
  const std::vector<std::pair<std::string, std::time_t>> stamps = {
      {"index.htm", 1118795400},
      {"画像\\表紙.gif", 1167577198},
      {"data\\manual.pdf", 1167674646},
      {"js\\lib\\deep\\app.js", 1204254000},
      {"empty.htm", 1236016984},
      {"empty.dat", 1236016984},
      {"marker.htm", 1286673010},
      // The block had no time line: the stamp of the block its start marker discarded.
      {"kept.htm", 1320977472},
      {"css\\Style.Css", 1080788400},
      {"css\\print.CSS", 1080788402}};
  for (const auto& [name, stamp] : stamps) {
    SCOPED_TRACE(name);
    EXPECT_EQ(mtimeOf(help + name), stamp);
  }
  // A refused stamp leaves the time of writing.
  EXPECT_GE(mtimeOf(help + "badtime.htm"), before);

  // Nothing escaped the help folder.
  EXPECT_FALSE(machine.has(std::string(kNewBin) + "outside.htm"));
  EXPECT_FALSE(machine.has("C:\\evil.htm"));
}

TEST_F(ExpansionPassTest, PassOneInstallsIntoOldBinAndReturnsWithoutClosing) {
  preparePassOne({0});
  const std::vector<std::string> list = *form->WorkList;
  ASSERT_EQ(list.size(), 32u);  // 23 common names and the 9 of the first standard
  stageDownloads();
  runUnpress();

  EXPECT_TRUE(view.messages.empty()) << ::testing::PrintToString(texts());
  EXPECT_FALSE(view.closePosted);
  EXPECT_FALSE(form->closed());
  ASSERT_TRUE(form->WorkList);
  EXPECT_TRUE(view.windowEnabled);
  EXPECT_EQ(view.cursor, platform::CursorShape::Default);
  EXPECT_EQ(view.captionHistory[Control::MsgLabel],
            std::vector<std::string>{"アップデートコンポーネント(1)の展開..."});
  // No stage values: the expansion's display, then "Completed".
  const auto& captions = view.captionHistory[Control::ProgressLabel];
  ASSERT_EQ(captions.size(), list.size() + 1);
  EXPECT_EQ(captions.back(), "Completed");
  EXPECT_EQ(view.caption(Control::ProgressLabel), "Completed");
  EXPECT_EQ(view.progress(), 100);

  EXPECT_EQ(listing(kOldBin),
            (std::vector<std::string>{"BRVHELP.EXE", "BrvCadX.EXE", "CoreApi.DLL", "MAILOUT.DLL",
                                      "PAGESET.EXE", "PICTDESK.INI", "PictDesk.EXE", "Plugin/",
                                      "StepDlg.EXE", "Template/", "XmlPeek.EXE", "corins0.0/",
                                      "corins5.0/", "corins6.0/", "ヘルプ/"}));
  for (int p = 0; p <= 5; ++p) {
    EXPECT_EQ(machine.get(kOldBin + stem(list[p]) + ".EXE"), contentOf(list[p])) << list[p];
  }
  EXPECT_EQ(tree(std::string(kOldBin) + "Template"),
            (std::vector<std::string>{
                "14年度/KEN/LIST.TXT", "14年度/KEN/TEMPLATE.TXT", "14年度/NOU/LIST.TXT",
                "14年度/NOU/TEMPLATE.TXT", "16年度/KEN/LIST.TXT", "16年度/KEN/TEMPLATE.TXT",
                "16年度/NOU/LIST.TXT", "16年度/NOU/TEMPLATE.TXT", "日本道路公団/KEN/LIST.TXT",
                "日本道路公団/KEN/TEMPLATE.TXT"}));
  EXPECT_EQ(machine.get(std::string(kOldBin) + "Template\\日本道路公団\\KEN\\TEMPLATE.TXT"),
            contentOf("TEMPLATE.JH_"));
  // In pass (1) the help folder comes from its archive.
  for (const char* archive : {"CORINS0", "CORINS5", "CORINS6", "HELP"}) {
    SCOPED_TRACE(archive);
    expectArchiveInstalled(kOldBin, archive);
  }
  EXPECT_EQ(tree(std::string(kOldBin) + "ヘルプ"),
            (std::vector<std::string>{"index.htm", "画像/logo.gif"}));
  EXPECT_EQ(listing(std::string(kOldBin) + "Plugin").size(), 9u);
  EXPECT_FALSE(machine.has(std::string(kRoot) + "PICTDESK.EXE"));
  EXPECT_EQ(listing(kWork1), std::vector<std::string>{"PictDesk.OLD"});
}

}  // namespace
}  // namespace test
