// Events of the real Win32 window reach the logic: activation, close, clicks, ticks, menu, loop.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/WindowDesign.h"
#include "platform/win32/CheckList_win32.h"
#include "platform/win32/UpdateWindow_win32.h"
#include "platform/win32/Win32View.h"
#include "platform/win32/WindowGuard_win32.h"
#include "tests/win32/WindowTestSupport.h"

namespace {

using platform::Control;
using platform::MenuCommand;
using platform::win32::UpdateWindow;
using Calls = std::vector<std::string>;

platform::win32::Win32View* s_view;
bool s_guardFired;

void CALLBACK endTheLoop(HWND, UINT, UINT_PTR, DWORD) {
  s_guardFired = true;
  s_view->terminate();
}

class WindowEventsTest : public testing::Test {
 protected:
  void SetUp() override { view.setEvents(&events); }

  void showAndActivate() {
    view.show();
    ASSERT_TRUE(test::pumpUntil([&] { return events.count("Activate") > 0; }));
    events.calls.clear();
  }

  // A press and release of the left button at `at` in the list, as the mouse sends them.
  void clickList(POINT at) {
    HWND list = window().control(Control::CheckListBox1);
    ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    ::PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    view.processMessages();
  }
  POINT tickBoxOf(int index) {
    const RECT box = window().checkList().tickBoxOf(index);
    return POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
  }

  UpdateWindow& window() { return view.window(); }

  // Runs the window's loop; a guard ends it after five seconds if it does not end by itself.
  bool loopEndsByItself() {
    s_view = &view;
    s_guardFired = false;
    const UINT_PTR guard = ::SetTimer(nullptr, 0, 5000, &endTheLoop);
    EXPECT_EQ(view.runMessageLoop(), 0);
    ::KillTimer(nullptr, guard);
    return !s_guardFired;
  }

  test::RecordingEvents events;
  platform::win32::Win32View view{app::kMainForm};
};

TEST_F(WindowEventsTest, ShowActivatesAndEveryLaterActivationIsReported) {
  view.show();
  ASSERT_TRUE(test::pumpUntil([&] { return events.count("Activate") == 1; }));
  EXPECT_EQ(::GetActiveWindow(), window().handle());
  HWND other = ::CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE | WS_CAPTION, 0, 0,
                                 100, 100, nullptr, nullptr, nullptr, nullptr);
  ::SetActiveWindow(other);
  ::SetActiveWindow(window().handle());
  EXPECT_TRUE(test::pumpUntil([&] { return events.count("Activate") == 2; }));
  ::DestroyWindow(other);
}

TEST_F(WindowEventsTest, DisablingTheWindowInsideActivationKeepsItActiveWithAFocus) {
  events.onCall = [&](const std::string& name) {
    if (name != "Activate") return;
    view.setWindowEnabled(false);
    // Windows takes the focus from the controls of a disabled window (Wine leaves it).
    ::SetFocus(nullptr);
    view.setEnabled(Control::DownLoadButton, true);
    view.setWindowEnabled(true);
  };
  view.show();
  ASSERT_TRUE(test::pumpUntil([&] { return events.count("Activate") == 1; }));
  view.processMessages();
  EXPECT_EQ(events.count("Activate"), 1);
  EXPECT_EQ(::GetFocus(), window().control(Control::DownLoadButton));
}

TEST_F(WindowEventsTest, ButtonsAndMenuItemsReachTheirHandlers) {
  showAndActivate();
  ::PostMessageW(window().control(Control::DownLoadButton), BM_CLICK, 0, 0);
  ::PostMessageW(window().control(Control::CancelButton), BM_CLICK, 0, 0);
  for (MenuCommand command : {MenuCommand::ProxyIP, MenuCommand::ProxyPort}) {
    ::PostMessageW(window().handle(), WM_COMMAND, UpdateWindow::menuCommandId(command), 0);
  }
  view.processMessages();
  EXPECT_EQ(events.calls,
            (Calls{"DownLoadClick", "CancelClick", "ProxyIPMenuClick", "ProxyPortMenuClick"}));
}

TEST_F(WindowEventsTest, AFailureInAHandlerIsShownAndTheWindowLivesOn) {
  std::vector<std::string> shown;
  platform::win32::setWindowFailureReport([&](const std::string& text) { shown.push_back(text); });
  showAndActivate();
  events.onCall = [](const std::string& name) {
    if (name == "DownLoadClick") throw std::runtime_error("失敗");
    if (name == "CancelClick") throw 42;
  };
  ::PostMessageW(window().control(Control::DownLoadButton), BM_CLICK, 0, 0);
  ::PostMessageW(window().control(Control::CancelButton), BM_CLICK, 0, 0);
  // A failure while the list paints is shown once, however often it paints.
  window().checkList().beforeDraw = [] { throw std::runtime_error("描画"); };
  ::InvalidateRect(window().control(Control::CheckListBox1), nullptr, TRUE);
  ::UpdateWindow(window().control(Control::CheckListBox1));
  ::InvalidateRect(window().control(Control::CheckListBox1), nullptr, TRUE);
  ::UpdateWindow(window().control(Control::CheckListBox1));
  view.processMessages();
  window().checkList().beforeDraw = nullptr;
  events.onCall = nullptr;
  ::PostMessageW(window().control(Control::DownLoadButton), BM_CLICK, 0, 0);
  view.processMessages();
  platform::win32::setWindowFailureReport(nullptr);
  EXPECT_EQ(shown, (Calls{"描画", "失敗", ""}));
  EXPECT_EQ(events.count("DownLoadClick"), 2);
}

TEST_F(WindowEventsTest, ClickOnATickBoxTogglesMakesItCurrentThenCallsTheHandler) {
  showAndActivate();
  view.setChecked(0, true);  // ticks set by the program raise nothing
  view.processMessages();
  EXPECT_TRUE(events.calls.empty());
  std::vector<std::pair<int, bool>> seenInHandler;
  events.onCall = [&](const std::string& name) {
    if (name == "ClickCheck") seenInHandler.emplace_back(view.itemIndex(), view.isChecked(3));
  };
  clickList(tickBoxOf(3));
  EXPECT_TRUE(view.isChecked(3));
  clickList(tickBoxOf(3));
  EXPECT_FALSE(view.isChecked(3));
  EXPECT_EQ(seenInHandler, (std::vector<std::pair<int, bool>>{{3, true}, {3, false}}));

  clickList(tickBoxOf(12));  // second column
  EXPECT_TRUE(view.isChecked(12));
  EXPECT_EQ(view.itemIndex(), 12);

  // A click on an item's text only makes it current.
  const POINT box = tickBoxOf(6);
  clickList(POINT{box.x + 120, box.y});
  EXPECT_EQ(view.itemIndex(), 6);
  EXPECT_FALSE(view.isChecked(6));
  EXPECT_EQ(events.count("ClickCheck"), 3);
  EXPECT_TRUE(view.isChecked(0));
}

TEST_F(WindowEventsTest, SpaceKeyTogglesTheCurrentItemThenCallsTheHandler) {
  showAndActivate();
  HWND list = window().control(Control::CheckListBox1);
  ::SetFocus(list);
  ::SendMessageW(list, LB_SETCURSEL, 4, 0);
  ::PostMessageW(list, WM_KEYDOWN, VK_SPACE, MAKELPARAM(1, 0x39));
  ::PostMessageW(list, WM_KEYUP, VK_SPACE, MAKELPARAM(1, 0xC039));
  view.processMessages();
  EXPECT_TRUE(view.isChecked(4));
  EXPECT_EQ(view.itemIndex(), 4);
  EXPECT_EQ(events.calls, (Calls{"ClickCheck"}));
}

TEST_F(WindowEventsTest, PostedCloseRunsAfterTheHandlerAndARefusalKeepsTheWindow) {
  showAndActivate();
  events.closeAnswer = false;
  view.postClose();
  EXPECT_TRUE(events.calls.empty()) << "queued, not run inside the caller";
  view.processMessages();
  EXPECT_EQ(events.calls, (Calls{"Close"}));
  EXPECT_TRUE(::IsWindowVisible(window().handle()));
  EXPECT_FALSE(window().hasClosed());

  events.closeAnswer = true;
  ::PostMessageW(window().handle(), WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
  view.processMessages();
  EXPECT_EQ(events.count("Close"), 2);
  EXPECT_FALSE(::IsWindowVisible(window().handle()));
  EXPECT_TRUE(window().hasClosed());
}

TEST_F(WindowEventsTest, MessageLoopEndsWhenTheWindowCloses) {
  // The declined start-up: the first activation posts the close.
  events.onCall = [&](const std::string& name) {
    if (name == "Activate") view.postClose();
  };
  view.show();
  EXPECT_TRUE(loopEndsByItself());
  EXPECT_EQ(events.calls, (Calls{"Activate", "Close"}));
  EXPECT_EQ(view.runMessageLoop(), 0) << "a closed window has no loop to run";
}

TEST_F(WindowEventsTest, TerminateEndsTheLoopWithoutTheCloseHandler) {
  showAndActivate();
  events.onCall = [&](const std::string& name) {
    if (name == "DownLoadClick") view.terminate();
  };
  ::PostMessageW(window().control(Control::DownLoadButton), BM_CLICK, 0, 0);
  EXPECT_TRUE(loopEndsByItself());
  EXPECT_EQ(events.calls, (Calls{"DownLoadClick"}));
  EXPECT_EQ(view.runMessageLoop(), 0) << "after terminate the loop returns at once";
}

TEST_F(WindowEventsTest, WaitingForMessagesRunsThemWhenTheyArrive) {
  showAndActivate();
  ::PostMessageW(window().control(Control::CancelButton), BM_CLICK, 0, 0);
  view.waitMessages(10000);
  EXPECT_EQ(events.calls, (Calls{"CancelClick"}));
  view.waitMessages(1);  // nothing pending: returns after the time-out
  EXPECT_EQ(events.calls.size(), 1u);
}

}  // namespace
