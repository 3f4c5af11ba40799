// Events of the real window reach the logic: activation, close, clicks, ticks, menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTimer>

#include "app/WindowDesign.h"
#include "platform/qt/CheckList.h"
#include "platform/qt/QtView.h"
#include "platform/qt/UpdateWindow.h"
#include "tests/view/ViewTestSupport.h"

namespace {

using platform::Control;
using Calls = std::vector<std::string>;

class EventsTest : public testing::Test {
 protected:
  void SetUp() override { view.setEvents(&events); }

  void showAndActivate() {
    view.show();
    ASSERT_TRUE(test::waitUntil([&] { return events.count("Activate") > 0; }));
    events.calls.clear();
  }

  // The centre of the tick box of item `index`, in the list's viewport.
  QPoint tickBoxOf(int index) {
    platform::qt::CheckList* list = view.window().checkList();
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.rect = list->visualItemRect(list->item(index));
    option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = list->item(index)->text();
    option.font = list->font();
    return list->style()
        ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list)
        .center();
  }

  test::RecordingEvents events;
  platform::qt::QtView view{app::kMainForm};
};

TEST_F(EventsTest, ShowActivatesTheWindowWithoutAWindowManager) {
  view.show();
  EXPECT_TRUE(test::waitUntil([&] { return events.count("Activate") == 1; }));
  EXPECT_TRUE(view.window().isActiveWindow());
}

TEST_F(EventsTest, EveryActivationIsReportedNotOnlyTheFirst) {
  showAndActivate();
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(test::waitUntil([&] { return other.isActiveWindow(); }));
  view.window().activateWindow();
  EXPECT_TRUE(test::waitUntil([&] { return events.count("Activate") == 1; }));
}

TEST_F(EventsTest, DisablingTheWindowInsideActivationDoesNotActivateAgain) {
  events.onCall = [&](const std::string& name) {
    if (name != "Activate") return;
    view.setWindowEnabled(false);
    view.setEnabled(Control::DownLoadButton, true);
    view.setWindowEnabled(true);
  };
  view.show();
  ASSERT_TRUE(test::waitUntil([&] { return events.count("Activate") == 1; }));
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
  EXPECT_EQ(events.count("Activate"), 1);
}

TEST_F(EventsTest, ButtonClicksReachTheirHandlers) {
  showAndActivate();
  QTest::mouseClick(view.window().control(Control::DownLoadButton), Qt::LeftButton);
  QTest::mouseClick(view.window().control(Control::CancelButton), Qt::LeftButton);
  EXPECT_EQ(events.calls, (Calls{"DownLoadClick", "CancelClick"}));
}

TEST_F(EventsTest, DisabledButtonOrDisabledWindowTakesNoClick) {
  showAndActivate();
  view.setEnabled(Control::DownLoadButton, false);
  QTest::mouseClick(view.window().control(Control::DownLoadButton), Qt::LeftButton);
  view.setEnabled(Control::DownLoadButton, true);
  view.setWindowEnabled(false);
  QTest::mouseClick(view.window().control(Control::DownLoadButton), Qt::LeftButton);
  EXPECT_TRUE(events.calls.empty());
}

TEST_F(EventsTest, MenuItemsReachTheirHandlers) {
  showAndActivate();
  view.window().menuAction(platform::MenuCommand::ProxyIP)->trigger();
  view.window().menuAction(platform::MenuCommand::ProxyPort)->trigger();
  EXPECT_EQ(events.calls, (Calls{"ProxyIPMenuClick", "ProxyPortMenuClick"}));
}

TEST_F(EventsTest, ClickOnATickBoxTogglesMakesItCurrentThenCallsTheHandler) {
  showAndActivate();
  QWidget* viewport = view.window().checkList()->viewport();
  std::vector<std::pair<int, bool>> seenInHandler;
  events.onCall = [&](const std::string& name) {
    if (name == "ClickCheck") seenInHandler.emplace_back(view.itemIndex(), view.isChecked(3));
  };
  QTest::mouseClick(viewport, Qt::LeftButton, {}, tickBoxOf(3));
  EXPECT_TRUE(view.isChecked(3));
  QTest::mouseClick(viewport, Qt::LeftButton, {}, tickBoxOf(3));
  EXPECT_FALSE(view.isChecked(3));
  EXPECT_EQ(seenInHandler, (std::vector<std::pair<int, bool>>{{3, true}, {3, false}}));

  // An item of the second column.
  QTest::mouseClick(viewport, Qt::LeftButton, {}, tickBoxOf(12));
  EXPECT_TRUE(view.isChecked(12));
  EXPECT_EQ(view.itemIndex(), 12);
  EXPECT_EQ(events.count("ClickCheck"), 3);
}

TEST_F(EventsTest, ClickOnAnItemsTextSelectsItWithoutTicking) {
  showAndActivate();
  platform::qt::CheckList* list = view.window().checkList();
  const QRect item = list->visualItemRect(list->item(6));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    QPoint(item.left() + 120, item.center().y()));
  EXPECT_EQ(view.itemIndex(), 6);
  EXPECT_FALSE(view.isChecked(6));
  EXPECT_EQ(events.count("ClickCheck"), 0);
}

TEST_F(EventsTest, SpaceKeyTogglesTheCurrentItemThenCallsTheHandler) {
  showAndActivate();
  platform::qt::CheckList* list = view.window().checkList();
  list->setFocus();
  list->setCurrentRow(4);
  QTest::keyClick(list, Qt::Key_Space);
  EXPECT_TRUE(view.isChecked(4));
  EXPECT_EQ(view.itemIndex(), 4);
  EXPECT_EQ(events.calls, (Calls{"ClickCheck"}));
}

TEST_F(EventsTest, TicksSetByTheProgramRaiseNoHandler) {
  showAndActivate();
  for (int i = 0; i < view.itemCount(); ++i) view.setChecked(i, true);
  view.setChecked(2, false);
  EXPECT_TRUE(view.isChecked(0));
  EXPECT_FALSE(view.isChecked(2));
  EXPECT_TRUE(events.calls.empty());
}

TEST_F(EventsTest, HandlerThatTicksTheItemAgainGetsNoSecondCall) {
  showAndActivate();
  view.setChecked(0, true);
  events.onCall = [&](const std::string& name) {
    if (name == "ClickCheck" && !view.isChecked(view.itemIndex())) {
      view.setChecked(view.itemIndex(), true);
    }
  };
  QTest::mouseClick(view.window().checkList()->viewport(), Qt::LeftButton, {}, tickBoxOf(0));
  EXPECT_TRUE(view.isChecked(0));
  EXPECT_EQ(events.count("ClickCheck"), 1);
  // The next click unticks it again from the ticked state.
  QTest::mouseClick(view.window().checkList()->viewport(), Qt::LeftButton, {}, tickBoxOf(0));
  EXPECT_TRUE(view.isChecked(0));
  EXPECT_EQ(events.count("ClickCheck"), 2);
}

TEST_F(EventsTest, PostedCloseRunsOnlyAfterTheHandlerReturns) {
  showAndActivate();
  view.postClose();
  EXPECT_TRUE(events.calls.empty()) << "queued, not run inside the caller";
  ASSERT_TRUE(test::waitUntil([&] { return events.count("Close") == 1; }));
  EXPECT_FALSE(view.window().isVisible());
  EXPECT_TRUE(view.window().hasClosed());
}

TEST_F(EventsTest, CloseRefusedByTheHandlerKeepsTheWindowOpen) {
  showAndActivate();
  events.closeAnswer = false;
  view.postClose();
  ASSERT_TRUE(test::waitUntil([&] { return events.count("Close") == 1; }));
  EXPECT_TRUE(view.window().isVisible());
  EXPECT_FALSE(view.window().hasClosed());
  // The user's own close goes the same way.
  view.window().close();
  EXPECT_EQ(events.count("Close"), 2);
  EXPECT_TRUE(view.window().isVisible());
}

TEST_F(EventsTest, MessageLoopEndsWhenTheWindowCloses) {
  // The declined start-up: the first activation posts the close.
  events.onCall = [&](const std::string& name) {
    if (name == "Activate") view.postClose();
  };
  QTimer guard;  // only fires if the loop failed to end
  QObject::connect(&guard, &QTimer::timeout, [&] { view.terminate(); });
  guard.start(5000);
  view.show();
  EXPECT_EQ(view.runMessageLoop(), 0);
  EXPECT_TRUE(guard.isActive()) << "the loop ended by itself";
  EXPECT_EQ(events.calls, (Calls{"Activate", "Close"}));
  EXPECT_EQ(view.runMessageLoop(), 0) << "a closed window has no loop to run";
}

TEST_F(EventsTest, TerminateEndsTheLoopWithoutTheCloseHandler) {
  view.show();
  QTimer::singleShot(0, [&] { view.terminate(); });
  EXPECT_EQ(view.runMessageLoop(), 0);
  EXPECT_EQ(events.count("Close"), 0);
  EXPECT_FALSE(view.window().hasClosed());
}

TEST_F(EventsTest, TerminateBeforeTheLoopMakesTheLoopReturnAtOnce) {
  view.terminate();
  view.show();
  EXPECT_EQ(view.runMessageLoop(), 0);
  EXPECT_EQ(events.count("Close"), 0);
  // The quit request also ends any modal box opened after it, as it should in the program;
  // the next test in this process needs it cleared, which only a started loop does.
  QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
  QCoreApplication::exec();
}

TEST_F(EventsTest, ProcessMessagesRunsPendingWork) {
  bool ran = false;
  QTimer::singleShot(0, [&] { ran = true; });
  view.processMessages();
  EXPECT_TRUE(ran);
}

TEST_F(EventsTest, HourGlassCursorIsSetOnceAndRestored) {
  view.setCursor(platform::CursorShape::HourGlass);
  view.setCursor(platform::CursorShape::HourGlass);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  view.setCursor(platform::CursorShape::Default);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  view.setCursor(platform::CursorShape::Default);  // nothing to restore, nothing happens
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
