// The expansion run over an existing installation: read-only targets, old plug-ins, the
// product's settings file, a missing archive library and a hostile archive.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/install/ExpansionFixture.h"

namespace test {
namespace {

const std::string kPlugin = std::string(kNewBin) + "Plugin\\";
const std::string kCompletion = "アップデートが完了しました。終了します。";

std::string upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

TEST_F(ExpansionTest, ExistingInstallationIsUpdatedAndOldPlugInsAreSetAside) {
  preparePassTwo({0, 3});  // the first standard and one with ".xl_" forms
  const std::vector<std::string> list = *form->WorkList;
  stageDownloads();
  const std::string list14 = std::string(kNewBin) + "Template\\14年度\\KEN\\LIST.TXT";
  machine.put(list14, "old list");
  machine.setReadOnly(list14, true);
  machine.put(std::string(kNewBin) + "ヘルプ\\old.htm", "old page");
  machine.setReadOnly(std::string(kNewBin) + "ヘルプ", true);
  machine.put(std::string(kNewBin) + "corins0.0\\old.txt", "old data");
  machine.setReadOnly(std::string(kNewBin) + "corins0.0", true);
  machine.put(std::string(kRoot) + "PICTDESK.EXE", "old launcher");
  for (const char* name : {"OLDSTD.SPI", "old.bak", "FORM.xls", "guide.Doc", "MLIT200104.SPI"}) {
    machine.put(kPlugin + name, std::string("old ") + name);
  }
  machine.put(kPlugin + "keep\\keep.SPI", "in a sub-folder");
  machine.put(kPlugin + "keep\\keep.BAK", "in a sub-folder");
  runUnpress();
  ASSERT_EQ(texts(), std::vector<std::string>{kCompletion});

  // A read-only template is made writable and replaced.
  EXPECT_EQ(machine.get(list14), contentOf("LIST.4K_"));
  EXPECT_FALSE(isReadOnly(list14));
  // Read-only folders are made writable and filled; what they held stays.
  EXPECT_FALSE(isReadOnly(std::string(kNewBin) + "ヘルプ"));
  EXPECT_EQ(machine.get(std::string(kNewBin) + "ヘルプ\\old.htm"), "old page");
  EXPECT_TRUE(machine.has(std::string(kNewBin) + "ヘルプ\\index.htm"));
  EXPECT_FALSE(isReadOnly(std::string(kNewBin) + "corins0.0"));
  EXPECT_EQ(tree(std::string(kNewBin) + "corins0.0"),
            (std::vector<std::string>{"data.txt", "old.txt", "表/ソフト.csv"}));
  EXPECT_EQ(machine.get(std::string(kRoot) + "PICTDESK.EXE"), contentOf("DeskRun.Ex_"));

  // Old backups deleted, every old plug-in and form renamed ".BAK", sub-folders untouched,
  // then the plug-ins and forms of the ticked standards.
  std::vector<std::string> expected = {"FORM.BAK", "MLIT200104.BAK", "OLDSTD.BAK", "keep/",
                                       "guide.BAK"};
  for (size_t p = 42; p < list.size(); ++p) {
    const std::string extension = upper(list[p].substr(list[p].rfind('.')));
    const std::string name =
        list[p].substr(0, list[p].rfind('.')) + (extension == ".XL_" ? ".XLS" : ".SPI");
    expected.push_back(name);
    EXPECT_EQ(machine.get(kPlugin + name), contentOf(list[p])) << list[p];
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listing(kPlugin), expected);
  EXPECT_TRUE(machine.has(kPlugin + "FORMKOCHI200404.XLS"));
  EXPECT_EQ(machine.get(kPlugin + "MLIT200104.BAK"), "old MLIT200104.SPI");
  EXPECT_EQ(machine.get(kPlugin + "guide.BAK"), "old guide.Doc");
  EXPECT_EQ(listing(kPlugin + "keep"), (std::vector<std::string>{"keep.BAK", "keep.SPI"}));
}

TEST_F(ExpansionTest, SettingsFileIsReplacedOnlyWhenItsFormatIsOlder) {
  const struct {
    const char* name;
    const char* installed;  // nullptr: none installed
    bool kept;
  } rows[] = {
      {"none installed", nullptr, false},
      {"count 0", "[MediaLabelPrintSet]\r\nSettingNameCount=0\r\n", true},
      {"count 7 among other keys",
       "[Top]\r\nA=1\r\n[MediaLabelPrintSet]\r\nX=2\r\nSettingNameCount=7\r\n", true},
      {"count -1", "[MediaLabelPrintSet]\r\nSettingNameCount=-1\r\n", false},
      {"key missing", "[MediaLabelPrintSet]\r\nOther=1\r\n", false},
      {"key in another section", "[Other]\r\nSettingNameCount=0\r\n", false},
      {"not a number", "[MediaLabelPrintSet]\r\nSettingNameCount=zero\r\n", false},
  };
  const std::string installed = std::string(kNewBin) + "PICTDESK.INI";
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    createForm(UNLHA32_FOLDER);
    preparePassTwo({0});
    stageDownloads();
    std::filesystem::remove(machine.native(installed));
    if (row.installed) machine.put(installed, row.installed);
    runUnpress();
    EXPECT_EQ(texts(), std::vector<std::string>{kCompletion});
    EXPECT_EQ(machine.get(installed), row.kept ? row.installed : contentOf("PICTDESK.IN_"));
  }
}

TEST_F(ExpansionTest, MissingArchiveLibraryShowsItsStubForEachArchiveAndTheRunGoesOn) {
  for (bool firstPass : {false, true}) {
    SCOPED_TRACE(firstPass ? "pass (1)" : "pass (2)");
    createForm(machine.prefix() + "/no-libraries-here");
    ASSERT_FALSE(lha->loaded());
    if (firstPass) {
      preparePassOne({0});
    } else {
      preparePassTwo({0});
    }
    stageDownloads();
    runUnpress();

    // Three archives in pass (2) (its help folder comes from the merge file), four in pass (1).
    const size_t archives = firstPass ? 4 : 3;
    ASSERT_EQ(view.messages.size(), archives + (firstPass ? 0 : 1))
        << ::testing::PrintToString(texts());
    for (size_t k = 0; k < archives; ++k) {
      EXPECT_EQ(view.messages[k].kind, platform::MessageKind::Error);
      EXPECT_EQ(view.messages[k].title, "PANIC!!");
      EXPECT_EQ(view.messages[k].text, "Unlha: LHA.DLL not loaded.");
      EXPECT_EQ(view.messages[k].buttons, platform::MessageButtons::Ok);
    }
    if (!firstPass) {
      EXPECT_EQ(view.messages.back().text, kCompletion);
    }
    const std::string target = firstPass ? kOldBin : kNewBin;
    for (const char* folder : {"corins0.0", "corins5.0", "corins6.0"}) {
      EXPECT_EQ(listing(target + folder), std::vector<std::string>{}) << folder;
    }
    EXPECT_EQ(listing(target + "ヘルプ").empty(), firstPass);
    EXPECT_EQ(listing(firstPass ? kWork1 : kWork2), std::vector<std::string>{"PictDesk.OLD"});
  }
}

TEST_F(ExpansionTest, ArchiveMemberClimbingOutOfTheTargetIsNotWrittenAndStopsTheRun) {
  preparePassTwo({0});
  raw["CORINS6.lzh"] = fixture("TRAVERSAL.lzh");
  stageDownloads();
  runUnpress();
  // The library's failure is the step's: the folder it was to fill is not taken for filled.
  const std::vector<std::string> shown = texts();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown[0].rfind("コンポーネントの展開[36]に失敗しました。終了します。", 0), 0u)
      << shown[0];
  EXPECT_EQ(std::count(shown.begin(), shown.end(), kCompletion), 0);
  EXPECT_EQ(listing(std::string(kNewBin) + "corins6.0"), std::vector<std::string>{});
  for (const auto& entry : std::filesystem::recursive_directory_iterator(machine.prefix())) {
    EXPECT_NE(entry.path().filename(), "ev6.txt") << entry.path();
  }
  // Four levels up from NEW_BIN, in native terms, is the folder that holds the machine folder.
  EXPECT_FALSE(
      std::filesystem::exists(std::filesystem::path(machine.prefix()).parent_path() / "ev6.txt"));
  // The archive before it was expanded.
  EXPECT_TRUE(machine.has(std::string(kNewBin) + "corins5.0\\KOUJI.DAT"));
}

}  // namespace
}  // namespace test
