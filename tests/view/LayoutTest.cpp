// The window as built against its design: caption, frame, every control, the list, the menu.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include "app/WindowDesign.h"
#include "platform/qt/CheckList.h"
#include "platform/qt/QtView.h"
#include "platform/qt/UpdateWindow.h"

namespace {

using platform::Control;
using platform::ControlKind;

const platform::WindowDesign& design = app::kMainForm;

QString text(std::string_view s) { return QString::fromUtf8(s); }

// Text cells in the fixed-pitch face: half-width forms and ASCII take one, the rest two.
int cells(const QString& text) {
  int n = 0;
  for (QChar ch : text) {
    const ushort u = ch.unicode();
    n += (u < 0x80 || (u >= 0xFF61 && u <= 0xFF9F)) ? 1 : 2;
  }
  return n;
}

class LayoutTest : public testing::Test {
 protected:
  platform::qt::QtView view{app::kMainForm};
  platform::qt::UpdateWindow& window = view.window();
};

TEST_F(LayoutTest, WindowHasItsCaptionFixedFrameAndClientAreaBelowTheMenu) {
  EXPECT_EQ(window.windowTitle(), text(design.caption));
  view.show();
  EXPECT_EQ(window.clientArea()->size(), QSize(design.clientWidth, design.clientHeight));
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

TEST_F(LayoutTest, EveryControlHasItsDesignKindTextPlaceSizeAndFont) {
  view.show();
  for (const platform::ControlDesign& row : design.controls) {
    SCOPED_TRACE(std::string(row.name));
    QWidget* w = window.control(row.control);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->objectName(), text(row.name));
    EXPECT_EQ(w->parentWidget(), window.clientArea());
    const bool kindMatches =
        (row.kind == ControlKind::Label && qobject_cast<QLabel*>(w)) ||
        (row.kind == ControlKind::Button && qobject_cast<QPushButton*>(w)) ||
        (row.kind == ControlKind::ProgressBar && qobject_cast<QProgressBar*>(w)) ||
        (row.kind == ControlKind::CheckList && w == window.checkList());
    EXPECT_TRUE(kindMatches);
    EXPECT_EQ(view.caption(row.control), row.text);
    EXPECT_EQ(w->pos(), QPoint(row.left, row.top));
    EXPECT_EQ(view.isVisible(row.control), row.visible);
    EXPECT_EQ(view.isEnabled(row.control), row.enabled);
    if (row.width != 0) {
      EXPECT_EQ(w->size(), QSize(row.width, row.height));
    } else {
      // Labels fit their text; the face is fixed-pitch, 6 pixels a half-width cell at 12 pixels.
      EXPECT_EQ(w->width(), 6 * cells(text(row.text)));
      EXPECT_GE(w->height(), 12);
      EXPECT_LE(w->height(), 14);
    }
    EXPECT_EQ(w->font().family(), text(row.font.face));
    EXPECT_EQ(w->font().pixelSize(), row.font.height)
        << "pixel sizes do not follow desktop scaling";
    EXPECT_EQ(QFontInfo(w->font()).family().toStdString(), "IPAGothic") << "alias not in force";
    if (row.font.colour == platform::TextColour::Black) {
      EXPECT_EQ(w->palette().color(QPalette::ButtonText), QColor(Qt::black));
    }
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
    EXPECT_EQ(view.itemText(i), design.checkList.items[static_cast<size_t>(i)]);
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
  EXPECT_EQ(top[0]->text(), text(design.menu.text));
  ASSERT_NE(top[0]->menu(), nullptr);
  const QList<QAction*> items = top[0]->menu()->actions();
  ASSERT_EQ(items.size(), 2);
  for (int i = 0; i < 2; ++i) {
    const platform::MenuItemDesign& item = design.menu.items[static_cast<size_t>(i)];
    EXPECT_EQ(items[i], window.menuAction(item.command));
    EXPECT_EQ(items[i]->text(), text(item.text));
    EXPECT_EQ(items[i]->objectName(), text(item.name));
  }
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
