// Failures of the expansion run: the one error box with its exact text and code, the window
// closed, the steps before kept; failed expansions retried, given a second chance, reported.
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/install/ExpansionFixture.h"

namespace test {
namespace {

using platform::Control;

constexpr const char* kFatal = "コンポーネントの展開に失敗しました(4)終了します。";

std::string failed(const std::string& entry, const std::string& restored) {
  return entry + "\r" + restored + "\r" + "展開に失敗しています。";
}

std::string position(int p) {
  return "コンポーネントの展開[" + std::to_string(p) + "]に失敗しました。終了します。";
}

struct FailureCase {
  const char* name;
  // Runs after the work list is set and before the downloads are staged.
  std::function<void(ExpansionTest&)> arrange;
  std::vector<std::string> infoBoxes;  // the failed-expansion boxes before the error box
  std::string message;                 // the failure's own text
  int code;                            // the last error code the box ends with
  bool raisedByCreateError = true;     // CreateError adds its "\r" to the message
  std::function<void(ExpansionTest&)> check = {};
};

// Test names and failure reports show the row's name, not its bytes.
[[maybe_unused]] void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

const std::string kPlugin = std::string(kNewBin) + "Plugin\\";

const FailureCase kCases[] = {
    {"TemplateFolderBlockedByAFile",
     [](ExpansionTest& t) { t.machine.put(std::string(kNewBin) + "Template", "a file"); },
     {},
     "コンポーネントの展開[Template\\14年度\\KEN CreateFolder]に失敗しました。終了します。",
     3,
     true,
     [](ExpansionTest& t) {
       // The steps before stay done; none after ran.
       EXPECT_EQ(t.machine.get(std::string(kNewBin) + "PICTDESK.INI"),
                 ExpansionTest::contentOf("PICTDESK.IN_"));
       EXPECT_FALSE(t.machine.has(std::string(kNewBin) + "corins0.0"));
       EXPECT_TRUE(t.machine.has(std::string(kWork2) + "PictDesk.ex_"));
     }},
    {"CorinsFolderBlockedByAFile",
     [](ExpansionTest& t) { t.machine.put(std::string(kNewBin) + "corins5.0", "a file"); },
     {},
     "コンポーネントの展開[corins5.0CreateFolder]に失敗しました。終了します。",
     183,
     true,
     [](ExpansionTest& t) {
       EXPECT_TRUE(t.machine.has(std::string(kNewBin) + "corins0.0\\data.txt"));
     }},
    {"HelpFolderBlockedByAFile",
     [](ExpansionTest& t) { t.machine.put(std::string(kNewBin) + "ヘルプ", "a file"); },
     {},
     "コンポーネントの展開[ヘルプCreateFolder]に失敗しました。終了します。",
     183},
    {"ReadOnlyProgram",
     [](ExpansionTest& t) {
       t.machine.put(std::string(kNewBin) + "BrvCadX.EXE", "old");
       t.machine.setReadOnly(std::string(kNewBin) + "BrvCadX.EXE", true);
     },
     {},
     position(2),
     5,
     true,
     [](ExpansionTest& t) {
       // No attribute is cleared before a program copy.
       EXPECT_EQ(t.machine.get(std::string(kNewBin) + "BrvCadX.EXE"), "old");
       EXPECT_EQ(t.machine.get(std::string(kNewBin) + "StepDlg.EXE"),
                 ExpansionTest::contentOf("StepDlg.ex_"));
     }},
    {"ReadOnlyLauncher",
     [](ExpansionTest& t) {
       t.machine.put(std::string(kRoot) + "PICTDESK.EXE", "old launcher");
       t.machine.setReadOnly(std::string(kRoot) + "PICTDESK.EXE", true);
     },
     {},
     position(8),
     5},
    {"ReadOnlyLibraryOfTheLastProgramStage",
     [](ExpansionTest& t) {
       t.machine.put(std::string(kNewBin) + "EXIF.DLL", "old");
       t.machine.setReadOnly(std::string(kNewBin) + "EXIF.DLL", true);
     },
     {},
     position(41),
     5},
    {"ReadOnlySettingsFileOfAnOlderFormat",
     [](ExpansionTest& t) {
       t.machine.put(std::string(kNewBin) + "PICTDESK.INI", "[MediaLabelPrintSet]\r\n");
       t.machine.setReadOnly(std::string(kNewBin) + "PICTDESK.INI", true);
     },
     {},
     position(11),
     5},
    {"ReadOnlyOldBackup",
     [](ExpansionTest& t) {
       t.machine.put(kPlugin + "OLD.BAK", "backup");
       t.machine.setReadOnly(kPlugin + "OLD.BAK", true);
       t.machine.put(kPlugin + "OTHER.SPI", "plug-in");
     },
     {},
     "コンポーネントの展開[RenameSPI]に失敗しました。終了します。",
     5,
     true,
     [](ExpansionTest& t) {
       // The second sweep still ran; nothing new was copied.
       EXPECT_EQ(t.listing(kPlugin), (std::vector<std::string>{"OLD.BAK", "OTHER.BAK"}));
     }},
    {"PlugInAndFormOfOneStem",
     [](ExpansionTest& t) {
       t.machine.put(kPlugin + "FORM2004.SPI", "plug-in");
       t.machine.put(kPlugin + "FORM2004.DOC", "form");
     },
     {},
     "コンポーネントの展開[RenameSPI]に失敗しました。終了します。",
     183,
     true,
     [](ExpansionTest& t) {
       // The first renaming wins; the other file keeps its name.
       const auto names = t.listing(kPlugin);
       ASSERT_EQ(names.size(), 2u);
       EXPECT_EQ(names[0], "FORM2004.BAK");
       EXPECT_TRUE(names[1] == "FORM2004.DOC" || names[1] == "FORM2004.SPI") << names[1];
     }},
    {"PlugInFolderMissing",
     [](ExpansionTest& t) { std::filesystem::remove_all(t.machine.native(kPlugin)); },
     {},
     position(42),
     3},
    {"BackupOfTheMainProgramBlockedByAFolder",
     [](ExpansionTest& t) {
       std::filesystem::create_directories(t.machine.native(std::string(kWork2) + "PictDesk.OLD"));
     },
     {},
     "コンポーネントの展開に失敗しました(3)終了します。",
     5},
    {"EmptyDownload",
     [](ExpansionTest& t) { t.raw["StepDlg.ex_"] = ""; },
     {failed("StepDlg.ex_", "StepDlg.EXE")},
     position(1),
     13},
    {"SzddOfNothing",
     [](ExpansionTest& t) { t.raw["CoreApi.dl_"] = t.compress(""); },
     {failed("CoreApi.dl_", "CoreApi.DLL")},
     position(9),
     13},
    {"TruncatedSzdd",
     [](ExpansionTest& t) {
       const std::string whole = t.compress(ExpansionTest::contentOf("LIST.4K_"));
       t.raw["LIST.4K_"] = whole.substr(0, whole.size() / 2);
     },
     {failed("LIST.4K_", "LIST.4KE")},
     position(12),
     2,  // the partial output is not left behind
     true,
     [](ExpansionTest& t) {
       EXPECT_FALSE(t.machine.has(std::string(kWork2) + "LIST.4KE"));
       EXPECT_FALSE(t.machine.has(std::string(kNewBin) + "Template\\14年度\\KEN\\LIST.TXT"));
     }},
    {"MissingDownload",
     [](ExpansionTest& t) { t.raw["MLIT200207.sp_"] = std::nullopt; },
     {failed("MLIT200207.sp_", "MLIT200207.SPI")},
     position(46),
     2},
    {"MissingMergeFile",
     [](ExpansionTest& t) { t.raw["MERGEHELP.IN_"] = std::nullopt; },
     {failed("MERGEHELP.IN_", "MERGEHELP.INI")},
     "ファイル \"C:\\TEMP\\BrvNewUp\\MERGEHELP.INI\" を開けません。",
     2,
     false},
    {"MergeFileWithBrokenHex",
     [](ExpansionTest& t) {
       t.raw["MERGEHELP.IN_"] = t.compress(
           "\x81\xA1#HELP_FILE_START#\x81\xA1\r\nok.gif\r\n0\r\n4748\r\n\x81\xA1#HELP_FILE_END#"
           "\x81\xA1\r\n\x81\xA1#HELP_FILE_START#\x81\xA1\r\nbad.gif\r\n0\r\n47ZZ\r\n"
           "\x81\xA1#HELP_FILE_END#\x81\xA1\r\n");
     },
     {},
     "'ZZ' は有効な16進数ではありません",
     -1,
     false,
     [](ExpansionTest& t) {
       // The files written before the bad block stay.
       EXPECT_EQ(t.machine.get(std::string(kNewBin) + "ヘルプ\\ok.gif"), "GH");
       EXPECT_FALSE(t.machine.has(std::string(kNewBin) + "ヘルプ\\bad.gif"));
     }},
};

class ExpansionFailureTest : public ExpansionTest,
                             public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ExpansionFailureTest, ShowsOneErrorBoxAndClosesTheWindow) {
  const FailureCase& c = GetParam();
  preparePassTwo({0});
  c.arrange(*this);
  stageDownloads();
  runUnpress();

  ASSERT_EQ(view.messages.size(), c.infoBoxes.size() + 1) << ::testing::PrintToString(texts());
  for (size_t k = 0; k < c.infoBoxes.size(); ++k) {
    EXPECT_EQ(view.messages[k].kind, platform::MessageKind::Information);
    EXPECT_EQ(view.messages[k].text, c.infoBoxes[k]);
  }
  const auto& box = view.messages.back();
  EXPECT_EQ(box.kind, platform::MessageKind::Error);
  EXPECT_EQ(box.title, "エラー");
  EXPECT_EQ(box.buttons, platform::MessageButtons::Ok);
  const std::string head = c.message + (c.raisedByCreateError ? "\r" : "") + "\r" + kFatal + "\r";
  ASSERT_EQ(box.text.substr(0, head.size()), head) << box.text;
  const std::string code = box.text.substr(head.size());
  if (c.code >= 0) {
    EXPECT_EQ(code, std::to_string(c.code));
  } else {
    EXPECT_EQ(code.find_first_not_of("0123456789"), std::string::npos) << code;
  }
  EXPECT_TRUE(view.closePosted);
  EXPECT_TRUE(form->closed());
  EXPECT_TRUE(view.windowEnabled);
  EXPECT_EQ(view.cursor, platform::CursorShape::Default);
  EXPECT_NE(view.caption(Control::ProgressLabel), "Completed");
  if (c.check) c.check(*this);
}

INSTANTIATE_TEST_SUITE_P(Cases, ExpansionFailureTest, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(ExpansionTest, EmptyDownloadIsTriedThreeTimesWithTenSecondWaitsAndNeverInstalled) {
  preparePassTwo({0});
  raw["StepDlg.ex_"] = "";
  machine.put(std::string(kNewBin) + "StepDlg.EXE", "the user's working program");
  stageDownloads();
  const uint64_t start = machine.clock.ticks;
  runUnpress();

  // Three waits of ten seconds on the clock (each pumping messages), none for the second chance:
  // two waits would end near 21 s, four near 42 s.
  const uint64_t waited = machine.clock.ticks - start;
  EXPECT_GE(waited, 30000u);
  EXPECT_LT(waited, 35000u);
  EXPECT_GE(view.processCount, 3 * 19);
  ASSERT_EQ(view.messages.size(), 2u) << ::testing::PrintToString(texts());
  EXPECT_EQ(view.messages[0].text, failed("StepDlg.ex_", "StepDlg.EXE"));
  EXPECT_EQ(view.messages[1].text, position(1) + "\r\r" + kFatal + "\r13");
  // An empty restored copy never replaces an installed file.
  EXPECT_EQ(machine.get(std::string(kNewBin) + "StepDlg.EXE"), "the user's working program");
  EXPECT_EQ(machine.get(std::string(kNewBin) + "PictDesk.EXE"), contentOf("PictDesk.ex_"));
}

TEST_F(ExpansionTest, FileThatArrivesLateIsExpandedByTheSecondChanceAndNotReported) {
  preparePassTwo({0});
  raw["StepDlg.ex_"] = "";
  raw["CoreApi.dl_"] = "";
  stageDownloads();
  // While the later failure waits, the earlier file becomes whole.
  const std::string good = compress(contentOf("StepDlg.ex_"));
  bool replaced = false;
  view.onProcessMessages = [&] {
    if (!replaced && machine.has(std::string(kWork2) + "CoreApi.DLL")) {
      machine.put(std::string(kWork2) + "StepDlg.ex_", good);
      replaced = true;
    }
  };
  runUnpress();

  ASSERT_TRUE(replaced);
  ASSERT_EQ(view.messages.size(), 2u) << ::testing::PrintToString(texts());
  EXPECT_EQ(view.messages[0].text, failed("CoreApi.dl_", "CoreApi.DLL"));
  EXPECT_EQ(view.messages[1].text, position(9) + "\r\r" + kFatal + "\r13");
  EXPECT_EQ(machine.get(std::string(kNewBin) + "StepDlg.EXE"), contentOf("StepDlg.ex_"));
}

TEST_F(ExpansionTest, TwoFailedExpansionsAreReportedInListOrder) {
  preparePassTwo({0});
  raw["MLIT200304.SP_"] = "";
  raw["LIST.KO_"] = std::nullopt;
  stageDownloads();
  runUnpress();
  ASSERT_EQ(view.messages.size(), 3u) << ::testing::PrintToString(texts());
  EXPECT_EQ(view.messages[0].text, failed("LIST.KO_", "LIST.KOU"));
  EXPECT_EQ(view.messages[1].text, failed("MLIT200304.SP_", "MLIT200304.SPI"));
  // The first step that needs one of them fails: the template pair of position 32.
  EXPECT_EQ(view.messages[2].text, position(32) + "\r\r" + kFatal + "\r2");
}

}  // namespace
}  // namespace test
