// The download sequence interrupted: cancel and close during a transfer, activation during a run,
// an unreachable server, and a new press after a failure.
#include "tests/download/DownloadFixture.h"

using platform::Control;

namespace test {
namespace {

using SequenceInterruptTest = DownloadTest;

// The third file arrives slowly, so the test can act while it is on its way.
constexpr const char* kSlowFile = "BrvCadX.ex_";

void slowThirdFile(mirror::UpdateMirror& mirror) {
  mirror.setFault(kSlowFile, {mirror::FaultKind::kSlow, 0, 2, 3});
}

struct PassRow {
  const char* what;
  bool firstPass;
};

constexpr PassRow kPasses[] = {{"pass (1)", true}, {"pass (2)", false}};

TEST_F(SequenceInterruptTest, CancelDuringATransferStopsThePass) {
  for (const auto& row : kPasses) {
    SCOPED_TRACE(row.what);
    m_mirror->clearFaults();
    slowThirdFile(*m_mirror);
    putTwoFolderInstallation(1, row.firstPass ? 0 : 2, row.firstPass ? 0 : 9, 0);
    openWindow({0, 1});
    size_t before = requests().size();
    bool clicked = false;
    bool cancelShown = false;
    view.onProcessMessages = [&] {
      if (clicked || form->CurrentItem != 3) return;
      if (view.caption(Control::ProgressLabel).find("Bytes Completion") == std::string::npos) {
        return;
      }
      cancelShown = view.isVisible(Control::CancelButton) && view.isWindowEnabled();
      clicked = true;
      view.events->onCancelClick();
    };
    press();
    view.onProcessMessages = nullptr;

    ASSERT_TRUE(clicked);
    EXPECT_TRUE(cancelShown);
    auto all = requests();
    ASSERT_EQ(all.size() - before, 3u);
    EXPECT_EQ(all.back(), std::string(row.firstPass ? "v128/" : "20251299/") + kSlowFile);
    EXPECT_EQ(requestsUnder("20251299"), row.firstPass ? 0u : 3u);
    EXPECT_FALSE(unpressStarted(1));
    EXPECT_FALSE(unpressStarted(2));
    EXPECT_TRUE(view.messages.empty());
    EXPECT_FALSE(form->closed());
    // After pass (1) the stop stays until the next press; pass (2) clears it on the way out.
    EXPECT_EQ(form->CancelRequested, row.firstPass);
    EXPECT_EQ(view.caption(Control::MsgLabel), kReadyText);
    EXPECT_FALSE(view.isVisible(Control::CancelButton));
    expectIdle();
    // Pass (2)'s transfer is aborted and leaves no file; pass (1)'s runs to its end.
    EXPECT_EQ(machine.has(form->WorkPath + kSlowFile), row.firstPass);
    form.reset();
  }
}

TEST_F(SequenceInterruptTest, ClosingTheWindowDuringATransferEndsTheSequence) {
  for (const auto& row : kPasses) {
    SCOPED_TRACE(row.what);
    m_mirror->clearFaults();
    slowThirdFile(*m_mirror);
    putTwoFolderInstallation(1, row.firstPass ? 0 : 2, row.firstPass ? 0 : 9, 0);
    openWindow({0, 1});
    size_t before = requests().size();
    bool closed = false;
    view.onProcessMessages = [&] {
      if (closed || form->CurrentItem != 3) return;
      if (view.caption(Control::ProgressLabel).find("Bytes Completion") == std::string::npos) {
        return;
      }
      closed = view.events->onClose();
    };
    press();
    view.onProcessMessages = nullptr;

    ASSERT_TRUE(closed);
    EXPECT_TRUE(form->closed());
    EXPECT_EQ(form->WorkList, nullptr);
    EXPECT_EQ(requests().size() - before, 3u);
    EXPECT_EQ(requestsUnder("20251299"), row.firstPass ? 0u : 3u);
    EXPECT_FALSE(unpressStarted(1));
    EXPECT_FALSE(unpressStarted(2));
    EXPECT_TRUE(view.messages.empty());
    // Closing saved the ticks, as it does at any time.
    EXPECT_NE(machine.get(std::string(kRoot) + "Install.ini").find("=1"), std::string::npos);
    form.reset();
  }
}

TEST_F(SequenceInterruptTest, ActivationOrAPressDuringARunLeavesTheRunAlone) {
  // A first run: the window stays disabled through pass (1), and an activation (after some
  // box of the program closed) must not hand it back to the user; a press that still reaches
  // the window starts nothing.
  putProgram(std::string(kRoot) + "pictdesk.exe", 1, 0, 0, 0);
  openWindow({0, 1});
  slowThirdFile(*m_mirror);
  m_mirror->setFault("PAGESET.EX_", {mirror::FaultKind::kStatus, 404, 0, 0});
  bool activated = false;
  std::string msgAfter;
  bool windowAfter = true;
  bool startShownAfter = true;
  bool startEnabledAfter = true;
  view.onProcessMessages = [&] {
    if (activated || form->CurrentItem != 3) return;
    if (view.caption(Control::ProgressLabel).find("Bytes Completion") == std::string::npos) {
      return;
    }
    activated = true;
    view.setEnabled(Control::DownLoadButton, false);
    view.events->onActivate();
    msgAfter = view.caption(Control::MsgLabel);
    windowAfter = view.isWindowEnabled();
    startShownAfter = view.isVisible(Control::DownLoadButton);
    startEnabledAfter = view.isEnabled(Control::DownLoadButton);
    view.events->onDownLoadClick();
  };
  press();
  view.onProcessMessages = nullptr;

  ASSERT_TRUE(activated);
  EXPECT_EQ(msgAfter, "アップデートコンポーネント(1)のダウンロード 7%");
  EXPECT_FALSE(windowAfter);
  EXPECT_FALSE(startShownAfter);
  EXPECT_FALSE(startEnabledAfter);
  EXPECT_EQ(texts(), std::vector<std::string>{"通信エラーが発生しました[5]\r\r404: Not Found"});
  EXPECT_EQ(requests(),
            (std::vector<std::string>{"v128/PictDesk.ex_", "v128/StepDlg.ex_", "v128/BrvCadX.ex_",
                                      "v128/XmlPeek.ex_", "v128/PAGESET.EX_"}));
  EXPECT_TRUE(view.isWindowEnabled());
  // Once the run is over, activation makes the window ready again.
  view.events->onActivate();
  EXPECT_EQ(view.caption(Control::MsgLabel), kReadyText);
  EXPECT_TRUE(view.isEnabled(Control::DownLoadButton));
}

// A close request while the expansion installs files is refused: the run finishes its pass and
// nothing uses a released list.
TEST_F(SequenceInterruptTest, CloseRequestDuringTheExpansionIsRefused) {
  putTwoFolderInstallation(1, 0, 0, 0);
  openWindow({0, 1});
  // A folder in place of a restored copy makes the expansion wait and retry, pumping messages.
  ASSERT_TRUE(machine.services().files.createFolders("C:\\TEMP\\BrvOldUp\\StepDlg.EXE"));
  bool asked = false;
  bool closed = false;
  view.onProcessMessages = [&] {
    if (!asked && unpressStarted(1)) {
      asked = true;
      closed = view.events->onClose();
    }
  };
  press();
  view.onProcessMessages = nullptr;
  ASSERT_TRUE(asked);
  EXPECT_FALSE(closed);
  ASSERT_FALSE(view.messages.empty());
  EXPECT_EQ(
      view.messages.back().text.rfind("コンポーネントの展開[1]に失敗しました。終了します。\r\r", 0),
      0u)
      << view.messages.back().text;
  // The failed expansion is reported and its copy step ends the run, which then closes.
  EXPECT_TRUE(form->closed());
  EXPECT_EQ(requestsUnder("20251299"), 0u);
}

TEST_F(SequenceInterruptTest, FailedPassOneEndsTheSequenceEvenWhenTheCloseIsRefused) {
  putTwoFolderInstallation(1, 0, 0, 0);
  // A file where a template folder belongs fails pass (1); a folder where the plug-in list
  // belongs makes the close that follows fail too.
  machine.put(std::string(kRoot) + "OLD_BIN\\Template", "not a folder");
  ASSERT_TRUE(machine.services().files.createFolders(std::string(kRoot) + "OLD_BIN\\Install.ini"));
  openWindow({0, 1});
  press();

  ASSERT_EQ(view.messages.size(), 2u) << ::testing::PrintToString(texts());
  EXPECT_EQ(view.messages[0].text.rfind("コンポーネントの展開[Template\\14年度\\KEN ", 0), 0u);
  EXPECT_EQ(view.messages[1].text, std::string(kRoot) + "OLD_BIN\\Install.ini に書き込めません");
  EXPECT_FALSE(form->closed());
  EXPECT_EQ(requestsUnder("20251299"), 0u);
  EXPECT_FALSE(unpressStarted(2));
  expectIdle();
}

TEST_F(SequenceInterruptTest, UnreachableServerGivesTheErrorBoxAndAnIdleWindow) {
  struct Row {
    const char* what;
    bool stopMirror;
  } rows[] = {{"proxy port closed", false}, {"server stopped", true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    putTwoFolderInstallation(1, 0, 0, 0);
    uint16_t port = closedPort();
    if (row.stopMirror) {
      port = m_mirror->port();
      m_mirror->stop();
    }
    openWindowWithProxyPort(port, {0, 1});
    press();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text.rfind("通信エラーが発生しました[1]\r\r1007: ", 0), 0u)
        << view.messages[0].text;
    EXPECT_TRUE(form->CancelRequested);
    EXPECT_FALSE(view.isVisible(Control::CancelButton));
    expectIdle();
    EXPECT_FALSE(machine.has("C:\\TEMP\\BrvOldUp\\PictDesk.ex_"));
    form.reset();
  }
}

TEST_F(SequenceInterruptTest, NewPressAfterAFailureStartsOver) {
  putTwoFolderInstallation(1, 0, 0, 0);
  openWindow({0, 1});
  m_mirror->setFault("PAGESET.EX_", {mirror::FaultKind::kStatus, 404, 0, 0});
  press();
  ASSERT_EQ(texts(), std::vector<std::string>{"通信エラーが発生しました[5]\r\r404: Not Found"});
  ASSERT_TRUE(form->CancelRequested);

  m_mirror->clearFaults();
  view.messages.clear();
  mark();
  press();
  auto all = requests();
  ASSERT_EQ(all.size(), 5u + 40u + 66u);
  EXPECT_EQ(all[5], "v128/PictDesk.ex_");
  EXPECT_EQ(all[45], "20251299/PictDesk.ex_");
  EXPECT_EQ(msgSinceMark().front(), "アップデートコンポーネント(1)のダウンロード 2%");
  EXPECT_TRUE(unpressStarted(1));
  EXPECT_TRUE(unpressStarted(2));
  EXPECT_EQ(texts(), std::vector<std::string>{"アップデートが完了しました。終了します。"});
}

}  // namespace
}  // namespace test
