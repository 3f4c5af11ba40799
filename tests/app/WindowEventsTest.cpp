// Activation and cancel of the update window.
#include "tests/app/WindowFixture.h"

using platform::Control;

namespace test {
namespace {

constexpr const char* kReady = "[アップデート開始]をクリックして作業を開始してください。";

TEST_F(WindowTest, ActivationMakesTheWindowReadyEveryTime) {
  putSettings("C:\\B\\");
  create();
  EXPECT_EQ(view.caption(Control::MsgLabel), "");
  view.events->onActivate();
  EXPECT_TRUE(view.isEnabled(Control::DownLoadButton));
  EXPECT_EQ(view.caption(Control::MsgLabel), kReady);
  EXPECT_TRUE(view.isWindowEnabled());
  EXPECT_FALSE(view.closePosted);
  view.setCaption(Control::MsgLabel, "other");
  view.setCaption(Control::ProgressLabel, "12 / 100");
  view.events->onActivate();
  EXPECT_EQ(view.caption(Control::MsgLabel), kReady);
  EXPECT_EQ(view.caption(Control::ProgressLabel), "");
}

TEST_F(WindowTest, CancelWithoutATransferReturnsToReady) {
  putSettings("C:\\B\\");
  create();
  view.setVisible(Control::CancelButton, true);
  view.setVisible(Control::DownLoadButton, false);
  view.events->onCancelClick();
  EXPECT_TRUE(form->CancelRequested);
  EXPECT_FALSE(view.isVisible(Control::CancelButton));
  EXPECT_TRUE(view.isVisible(Control::DownLoadButton));
  EXPECT_EQ(view.caption(Control::MsgLabel), kReady);
  EXPECT_TRUE(view.messages.size() == 1u);  // only the start-up notice
}

TEST_F(WindowTest, RunErrorCarriesALineBreak) {
  putSettings("C:\\B\\");
  create();
  try {
    form->CreateError("コンポーネントの展開[RenameSPI]に失敗しました。終了します。");
    FAIL();
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "コンポーネントの展開[RenameSPI]に失敗しました。終了します。\r");
  }
}

}  // namespace
}  // namespace test
