// Start-up: where the installation is found, the versions shown and the overwrite question.
#include <fstream>
#include <iterator>

#include "tests/app/WindowFixture.h"

using platform::Control;
using platform::MessageAnswer;
using platform::MessageKind;
using platform::RegistryRoot;

namespace test {
namespace {

constexpr const char* kNotice =
    "このアップデートを行うと、ルミナメニューを御使用の場合はバージョン1.07i以降が必要になり"
    "ます\r\r必ずルミナメニューのバージョンをご確認下さい";
constexpr const char* kOverwrite =
    "既に同バージョンまたは上位バージョンがインストールされています。\r上書き更新を行いますか？";

TEST_F(WindowTest, SettingsFileInTheBrevanFolderWinsOverTheRegistry) {
  machine.put("C:\\VALTERN\\BREVAN\\DARADURA.INI",
              "PROXYIP=proxy.example\r\nPROXYPORT=3128\r\nPATH=C:\\OTHER\\BREVAN\\\r\nVER=1.2\r\n");
  machine.put("C:\\OTHER\\BREVAN\\x", "");
  putRegisteredProgram("E:\\ELSEWHERE\\PICTDESK.EXE");
  auto& f = create();
  EXPECT_EQ(f.IniFileName, "C:\\VALTERN\\BREVAN\\DARADURA.INI");
  EXPECT_EQ(f.InstallPath, "C:\\OTHER\\BREVAN\\");
  EXPECT_EQ(f.InstallRoot, "C:\\OTHER\\BREVAN\\");
  EXPECT_EQ(f.ProxyIP, "proxy.example");
  EXPECT_EQ(f.ProxyPortNo, 3128);
  EXPECT_EQ(f.IniVersion, "1.2");
  EXPECT_TRUE(f.ContinueUpdate);
  ASSERT_TRUE(f.WorkList);
  EXPECT_TRUE(f.WorkList->empty());
  EXPECT_EQ(texts(), std::vector<std::string>{kNotice});
  EXPECT_EQ(view.messages[0].kind, MessageKind::Plain);
}

TEST_F(WindowTest, WithoutTheBrevanFolderTheSettingsFileIsInWindows) {
  putSettings("C:\\VALTERN\\BREVAN\\");
  auto& f = create();
  EXPECT_EQ(f.IniFileName, "C:\\WINDOWS\\DARADURA.INI");
  EXPECT_EQ(f.InstallPath, "C:\\VALTERN\\BREVAN\\");
  EXPECT_FALSE(view.terminated);
}

TEST_F(WindowTest, WindowStateAfterStartUp) {
  putSettings("C:\\B\\");
  create();
  EXPECT_FALSE(view.isVisible(Control::CancelButton));
  EXPECT_TRUE(view.isVisible(Control::DownLoadButton));
  EXPECT_FALSE(view.isEnabled(Control::DownLoadButton));
  EXPECT_EQ(view.clientWidth, 506);
  EXPECT_EQ(view.clientHeight, 288);
  EXPECT_EQ(view.caption(Control::ProgressLabel), "");
  EXPECT_EQ(view.caption(Control::NowVersionLabel), "NowVersion: ");
  EXPECT_EQ(view.caption(Control::UpVersionLabel), "UpVersion: v2.5.3.0");
}

TEST_F(WindowTest, SavedSubFolderIsCutBackToTheInstallation) {
  struct Row {
    const char* path;
    const char* expected;
  } rows[] = {
      {"D:\\VALTERN\\BREVAN\\OLD_BIN\\", "D:\\VALTERN\\BREVAN\\"},
      {"D:\\VALTERN\\BREVAN\\NEW_BIN\\", "D:\\VALTERN\\BREVAN\\"},
      // The download names the folder "New_BIN"; folder names ignore case on this platform.
      {"D:\\VALTERN\\BREVAN\\New_BIN\\", "D:\\VALTERN\\BREVAN\\"},
      {"D:\\VALTERN\\BREVAN\\old_bin\\", "D:\\VALTERN\\BREVAN\\"},
      {"D:\\VALTERN\\BREVAN\\OLD_BINX\\", "D:\\VALTERN\\BREVAN\\OLD_BINX\\"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.path);
    putSettings(r.path);
    auto& f = create();
    EXPECT_EQ(f.InstallPath, r.expected);
    EXPECT_EQ(f.InstallRoot, r.expected);
  }
}

TEST_F(WindowTest, OverwriteQuestionByTextualVersionOrder) {
  struct Row {
    uint16_t v[4];
    bool asked;
  } rows[] = {{{2, 5, 3, 0}, true},
              {{2, 6, 0, 0}, true},
              {{2, 4, 9, 9}, false},
              // Text order: "v2.10.0.0" sorts before "v2.5.3.0".
              {{2, 10, 0, 0}, false}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.v[1]);
    view.messages.clear();
    putSettings("C:\\B\\");
    putProgram("C:\\B\\PICTDESK.EXE", r.v[0], r.v[1], r.v[2], r.v[3]);
    auto& f = create();
    std::string shown = "NowVersion: v" + std::to_string(r.v[0]) + "." + std::to_string(r.v[1]) +
                        "." + std::to_string(r.v[2]) + "." + std::to_string(r.v[3]);
    EXPECT_EQ(view.caption(Control::NowVersionLabel), shown);
    EXPECT_EQ(f.NowVersion, shown.substr(12));
    ASSERT_FALSE(view.messages.empty());
    EXPECT_EQ(view.messages[0].text == kOverwrite, r.asked);
    if (r.asked) {
      EXPECT_EQ(view.messages[0].title, "確認");
      EXPECT_EQ(view.messages[0].buttons, platform::MessageButtons::YesNo);
    }
  }
}

TEST_F(WindowTest, DecliningTheOverwriteEndsStartUpAndClosesWithoutSaving) {
  putSettings("C:\\B\\");
  putProgram("C:\\B\\pictdesk.exe", 2, 5, 3, 0);
  machine.put("C:\\B\\Install.ini", "[PULUGINLIST]\r\n水資源機構=1\r\n");
  view.messageAnswers = {MessageAnswer::No};
  auto& f = create();
  EXPECT_FALSE(f.ContinueUpdate);
  EXPECT_FALSE(f.WorkList);
  EXPECT_EQ(texts(), std::vector<std::string>{kOverwrite});
  for (int i = 0; i < view.itemCount(); ++i) EXPECT_FALSE(view.isChecked(i));
  EXPECT_FALSE(machine.has("C:\\B\\NEW_BIN\\Install.ini"));

  view.events->onActivate();
  EXPECT_TRUE(view.closePosted);
  EXPECT_FALSE(view.isEnabled(Control::DownLoadButton));
  EXPECT_TRUE(view.deliverClose());
  // The user's ticks survive: the list was never loaded, so nothing was saved.
  EXPECT_EQ(machine.get("C:\\B\\Install.ini"), "[PULUGINLIST]\r\n水資源機構=1\r\n");
}

TEST_F(WindowTest, RegisteredProgramInOldBinIsRepaired) {
  putSettings("C:\\VALTERN\\BREVAN\\");
  putRegisteredProgram("c:\\valtern\\brevan\\old_bin\\pictdesk.exe");
  create();
  auto& reg = machine.services().registry;
  EXPECT_EQ(reg.readString(RegistryRoot::LocalMachine, "SOFTWARE\\Valtern\\Brevan", "Exename"),
            "C:\\VALTERN\\BREVAN\\PICTDESK.EXE");
}

TEST_F(WindowTest, ViewerReadOptionIsReset) {
  putSettings("C:\\B\\");
  create();
  std::ifstream in(machine.prefix() + "/registry.reg");
  std::string reg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(
      reg.find("[HKEY_CURRENT_USER\\Software\\AHOEM011\\JanSDK8\\2004.0.1\\ENGOPTION\\PD0000R]"),
      std::string::npos)
      << reg;
  EXPECT_NE(reg.find("\"ReadOption\"=hex:00,00,00,00,00,00,00,00,00,00,00,00"), std::string::npos)
      << reg;
}

TEST_F(WindowTest, WithoutSettingsTheRegisteredProgramNamesTheInstallation) {
  putRegisteredProgram("D:\\PROGRAMS\\BREVAN\\PICTDESK.EXE");
  auto& f = create();
  EXPECT_EQ(f.InstallPath, "D:\\PROGRAMS\\BREVAN\\");
  EXPECT_EQ(f.IniVersion, "0.0.0");
  EXPECT_EQ(f.ProxyPortNo, 0);
}

TEST_F(WindowTest, NoInstallationEndsTheProgramSilently) {
  auto& f = create();
  EXPECT_TRUE(f.terminated());
  EXPECT_TRUE(view.terminated);
  EXPECT_TRUE(view.messages.empty());
}

TEST_F(WindowTest, UnreadableSettingsFileIsReportedAndEndsTheProgram) {
  // A folder where the settings file should be cannot be read as one.
  machine.put("C:\\WINDOWS\\DARADURA.INI\\inside", "");
  putRegisteredProgram("D:\\B\\PICTDESK.EXE");
  auto& f = create();
  EXPECT_TRUE(f.terminated());
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].title, "エラー");
  EXPECT_EQ(view.messages[0].text.rfind("ファイル \"C:\\WINDOWS\\DARADURA.INI\" を開けません。", 0),
            0u)
      << view.messages[0].text;
}

TEST_F(WindowTest, DamagedSettingsFileGivesDefaults) {
  std::string junk;
  for (int i = 0; i < 70000; ++i) junk += static_cast<char>((i * 131 + 7) & 0xFF);
  machine.put("C:\\WINDOWS\\DARADURA.INI", junk);
  putRegisteredProgram("D:\\B\\PICTDESK.EXE");
  auto& f = create();
  // The file exists, so the registry is not asked; its junk holds no PATH.
  EXPECT_TRUE(f.terminated());
  EXPECT_TRUE(view.messages.empty());
}

TEST_F(WindowTest, JapaneseInstallationPathRoundTripsThroughCp932) {
  putSettings("C:\\電子納品\\表示ソフト\\");
  machine.put("C:\\電子納品\\表示ソフト\\Install.ini", "");
  auto& f = create();
  EXPECT_EQ(f.InstallPath, "C:\\電子納品\\表示ソフト\\");
}

}  // namespace
}  // namespace test
