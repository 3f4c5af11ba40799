// The window as built: caption, frame, every control's text and place, the list's columns.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include "app/Standards.h"
#include "platform/qt/CheckList.h"
#include "platform/qt/QtView.h"
#include "platform/qt/UpdateWindow.h"

namespace {

using platform::Control;

// Text cells in the fixed-pitch face: half-width forms and ASCII take one, the rest two.
int cells(const QString& text) {
  int n = 0;
  for (QChar ch : text) {
    const ushort u = ch.unicode();
    n += (u < 0x80 || (u >= 0xFF61 && u <= 0xFF9F)) ? 1 : 2;
  }
  return n;
}

struct Placed {
  Control control;
  const char* name;
  const char* text;
  int left, top, width, height;  // width 0: the control sizes itself to its text
};

const Placed kDesign[] = {
    {Control::Label2, "Label2", "アップデート基準選択", 8, 8, 0, 0},
    {Control::Label3, "Label3", "(選択しない基準がインストールされていた場合は削除されます)", 8, 24,
     0, 0},
    {Control::CheckListBox1, "CheckListBox1", "", 8, 40, 489, 149},
    {Control::MsgLabel, "MsgLabel", "XXX", 8, 203, 0, 0},
    {Control::ProgressBar, "ProgressBar", "", 8, 217, 489, 16},
    {Control::ProgressLabel, "ProgressLabel", "XXXXXXXXXXX", 431, 239, 66, 12},
    {Control::NowVersionLabel, "NowVersionLabel", "NowVersion", 10, 246, 0, 0},
    {Control::UpVersionLabel, "UpVersionLabel", "UpVersion", 10, 262, 0, 0},
    {Control::DownLoadButton, "DownLoadButton", "アップデート開始", 386, 255, 111, 25},
    {Control::CancelButton, "CancelButton", "ｷｬﾝｾﾙ", 386, 255, 111, 25},
};

class LayoutTest : public testing::Test {
 protected:
  platform::qt::QtView view;
  platform::qt::UpdateWindow& window = view.window();
};

TEST_F(LayoutTest, WindowHasItsCaptionFixedFrameAndClientAreaBelowTheMenu) {
  EXPECT_EQ(window.windowTitle().toStdString(), "【Brevan】アップデートプログラム");
  view.show();
  EXPECT_EQ(window.clientArea()->size(), QSize(506, 288));
  EXPECT_EQ(window.clientArea()->y(), window.menuBar()->height());
  EXPECT_GT(window.menuBar()->height(), 0);
  EXPECT_EQ(window.size(), QSize(506, 288 + window.menuBar()->height()));
  EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "the user cannot resize it";

  const Qt::WindowFlags flags = window.windowFlags();
  EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
}

TEST_F(LayoutTest, SetClientSizeResizesTheAreaBelowTheMenu) {
  view.setClientSize(300, 200);
  EXPECT_EQ(window.clientArea()->size(), QSize(300, 200));
  view.setClientSize(506, 288);
  view.show();
  EXPECT_EQ(window.size(), QSize(506, 288 + window.menuBar()->height()));
}

TEST_F(LayoutTest, WindowIsCentredOnTheScreen) {
  view.show();
  const QRect screen = window.screen()->availableGeometry();
  EXPECT_NEAR(window.frameGeometry().center().x(), screen.center().x(), 1);
  EXPECT_NEAR(window.frameGeometry().center().y(), screen.center().y(), 1);
}

TEST_F(LayoutTest, EveryControlHasItsDesignTextPlaceAndSize) {
  view.show();
  for (const Placed& p : kDesign) {
    SCOPED_TRACE(p.name);
    QWidget* w = window.control(p.control);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->objectName().toStdString(), p.name);
    EXPECT_EQ(w->parentWidget(), window.clientArea());
    EXPECT_EQ(view.caption(p.control), p.text);
    EXPECT_EQ(w->pos(), QPoint(p.left, p.top));
    EXPECT_TRUE(view.isVisible(p.control));
    EXPECT_TRUE(view.isEnabled(p.control));
    if (p.width != 0) {
      EXPECT_EQ(w->size(), QSize(p.width, p.height));
    } else {
      // Labels fit their text; the face is fixed-pitch, 6 pixels a half-width cell at 12 pixels.
      EXPECT_EQ(w->width(), 6 * cells(QString::fromUtf8(p.text)));
      EXPECT_GE(w->height(), 12);
      EXPECT_LE(w->height(), 14);
    }
  }
}

TEST_F(LayoutTest, FontsAreTheGothicFaceAtPixelSizes) {
  for (Control c : {Control::Label2, Control::MsgLabel, Control::DownLoadButton,
                    Control::CancelButton, Control::CheckListBox1}) {
    QWidget* w = window.control(c);
    SCOPED_TRACE(w->objectName().toStdString());
    const int expected = c == Control::CheckListBox1 ? 13 : 12;
    EXPECT_EQ(w->font().family().toStdString(), "ＭＳ ゴシック");
    EXPECT_EQ(w->font().pixelSize(), expected) << "pixel sizes do not follow desktop scaling";
    EXPECT_EQ(QFontInfo(w->font()).family().toStdString(), "IPAGothic") << "alias not in force";
  }
}

TEST_F(LayoutTest, AutoSizedLabelsRefitKeepingTheirPlaceAndTheProgressLabelItsRightEdge) {
  view.show();
  const std::string ready = "[アップデート開始]をクリックして作業を開始してください。";
  view.setCaption(Control::MsgLabel, ready);
  EXPECT_EQ(window.control(Control::MsgLabel)->geometry().topLeft(), QPoint(8, 203));
  EXPECT_EQ(window.control(Control::MsgLabel)->width(), 6 * cells(QString::fromStdString(ready)));

  auto* progress = static_cast<QLabel*>(window.control(Control::ProgressLabel));
  EXPECT_EQ(progress->geometry(), QRect(431, 239, 66, 12));
  // A right-aligned label grows to the left, so the whole byte count stays readable.
  const std::string counting = "512/1332 Bytes Completion";
  view.setCaption(Control::ProgressLabel, counting);
  EXPECT_EQ(progress->geometry().right(), 496);
  EXPECT_EQ(progress->width(), 6 * cells(QString::fromStdString(counting)));
  EXPECT_EQ(progress->y(), 239);
  EXPECT_TRUE(progress->alignment() & Qt::AlignRight);
  view.setCaption(Control::ProgressLabel, "");
  EXPECT_EQ(view.caption(Control::ProgressLabel), "");
  EXPECT_EQ(progress->geometry().right(), 496);
}

TEST_F(LayoutTest, CaptionsAreShownAsPlainTextAndRoundTripExactly) {
  const std::string texts[] = {"<b>太字</b>", "a & b", "NowVersion: ", "ｷｬﾝｾﾙ"};
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    view.setCaption(Control::NowVersionLabel, text);
    EXPECT_EQ(view.caption(Control::NowVersionLabel), text);
    view.setCaption(Control::DownLoadButton, text);
    EXPECT_EQ(view.caption(Control::DownLoadButton), text);
  }
  EXPECT_EQ(static_cast<QLabel*>(window.control(Control::NowVersionLabel))->textFormat(),
            Qt::PlainText);
  // The list and the bar have no caption; setting one changes nothing.
  view.setCaption(Control::CheckListBox1, "x");
  view.setCaption(Control::ProgressBar, "x");
  EXPECT_EQ(view.caption(Control::CheckListBox1), "");
  EXPECT_EQ(view.caption(Control::ProgressBar), "");
}

TEST_F(LayoutTest, CheckListHoldsTheFifteenStandardsUnticked) {
  ASSERT_EQ(view.itemCount(), 15);
  for (int i = 0; i < 15; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(view.itemText(i), app::kStandards[static_cast<size_t>(i)]);
    EXPECT_FALSE(view.isChecked(i));
    EXPECT_TRUE(window.checkList()->item(i)->flags() & Qt::ItemIsUserCheckable);
  }
  EXPECT_EQ(view.itemIndex(), -1);
  EXPECT_EQ(view.itemText(15), "");
  EXPECT_FALSE(view.isChecked(-1));
  view.setChecked(15, true);  // ignored, no crash
}

TEST_F(LayoutTest, CheckListFillsTwoColumnsTopToBottomElevenRowsEach) {
  view.show();
  platform::qt::CheckList* list = window.checkList();
  // 149 pixels less the two-pixel border leave 145: eleven rows of 13 pixels.
  EXPECT_EQ(list->viewport()->size(), QSize(485, 145));
  for (int i = 0; i < 15; ++i) {
    SCOPED_TRACE(i);
    const int column = i / 11;
    const int row = i % 11;
    const QRect rect = list->visualItemRect(list->item(i));
    EXPECT_EQ(rect.topLeft(), QPoint(column * 242, row * 13));
    EXPECT_EQ(rect.width(), 242);
  }
}

TEST_F(LayoutTest, ProgressBarRunsFromZeroToHundredAndClamps) {
  QProgressBar* bar = window.progressBar();
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), 100);
  EXPECT_EQ(view.progress(), 0);
  EXPECT_FALSE(bar->isTextVisible());
  const std::pair<int, int> cases[] = {{57, 57}, {100, 100}, {250, 100}, {0, 0}, {-5, 0}};
  for (auto [set, shown] : cases) {
    SCOPED_TRACE(set);
    view.setProgress(set);
    EXPECT_EQ(view.progress(), shown);
  }
}

TEST_F(LayoutTest, TabOrderIsStartButtonListThenCancelButton) {
  // The bar comes between the button and the list in the designed order, but takes no focus.
  EXPECT_EQ(window.progressBar()->focusPolicy(), Qt::NoFocus);
  std::vector<std::string> order;
  QWidget* w = window.control(Control::DownLoadButton);
  for (int guard = 0; guard < 64 && order.size() < 3; ++guard, w = w->nextInFocusChain()) {
    if (w->focusPolicy() & Qt::TabFocus) order.push_back(w->objectName().toStdString());
  }
  EXPECT_EQ(order, (std::vector<std::string>{"DownLoadButton", "CheckListBox1", "CancelButton"}));
}

TEST_F(LayoutTest, MenuBarHasTheSettingsMenuWithBothProxyItems) {
  const QList<QAction*> top = window.menuBar()->actions();
  ASSERT_EQ(top.size(), 1);
  EXPECT_EQ(top[0]->text().toStdString(), "設定");
  ASSERT_NE(top[0]->menu(), nullptr);
  const QList<QAction*> items = top[0]->menu()->actions();
  ASSERT_EQ(items.size(), 2);
  EXPECT_EQ(items[0], window.proxyIPMenu());
  EXPECT_EQ(items[0]->text().toStdString(), "プロキシIP");
  EXPECT_EQ(items[1], window.proxyPortMenu());
  EXPECT_EQ(items[1]->text().toStdString(), "プロキシPort");
}

TEST_F(LayoutTest, VisibilityAndEnabledAreEachControlsOwnSetting) {
  view.setVisible(Control::CancelButton, false);
  EXPECT_FALSE(view.isVisible(Control::CancelButton));
  EXPECT_TRUE(view.isVisible(Control::DownLoadButton)) << "before the window is shown";
  view.show();
  EXPECT_FALSE(window.control(Control::CancelButton)->isVisible());
  EXPECT_TRUE(window.control(Control::DownLoadButton)->isVisible());

  view.setEnabled(Control::DownLoadButton, false);
  view.setWindowEnabled(false);
  EXPECT_FALSE(view.isWindowEnabled());
  EXPECT_FALSE(view.isEnabled(Control::DownLoadButton));
  EXPECT_TRUE(view.isEnabled(Control::CheckListBox1)) << "a disabled window keeps the setting";
  view.setWindowEnabled(true);
  EXPECT_TRUE(view.isWindowEnabled());
  EXPECT_FALSE(view.isEnabled(Control::DownLoadButton));
  EXPECT_TRUE(view.isEnabled(Control::CheckListBox1));
}

}  // namespace
