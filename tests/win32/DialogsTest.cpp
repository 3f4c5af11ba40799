// The program's own boxes on Win32: exact titles, texts, icons and button captions, answers.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/WindowDesign.h"
#include "platform/win32/UpdateWindow_win32.h"
#include "platform/win32/Win32View.h"
#include "tests/win32/WindowTestSupport.h"

namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageKind;
using Captions = std::vector<std::string>;

constexpr const char* kQuestion =
    "既に同バージョンまたは上位バージョンがインストールされています。\r上書き更新を行いますか？";

// A key pressed on the box's focused control, as the keyboard sends it.
void pressKey(UINT key) {
  HWND focus = ::GetFocus();
  ::PostMessageW(focus, WM_KEYDOWN, key, 1);
  ::PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
}

class DialogsTest : public testing::Test {
 protected:
  void SetUp() override {
    view.setEvents(&events);
    view.show();
    ASSERT_TRUE(test::pumpUntil([&] { return events.count("Activate") > 0; }));
  }

  test::RecordingEvents events;
  platform::win32::Win32View view{app::kMainForm};
  test::SeenBox seen;
};

TEST_F(DialogsTest, KindGivesTheIcon) {
  const std::pair<MessageKind, LPCWSTR> cases[] = {
      {MessageKind::Plain, nullptr},
      {MessageKind::Information, IDI_INFORMATION},
      {MessageKind::Confirmation, IDI_QUESTION},
      {MessageKind::Error, IDI_ERROR},
  };
  for (auto [kind, icon] : cases) {
    SCOPED_TRACE(static_cast<int>(kind));
    seen = {};
    test::whenBoxOpens(seen, [](HWND box) { test::clickButton(box, "OK"); });
    EXPECT_EQ(view.messageBox(kind, "情報", "本文", MessageButtons::Ok), MessageAnswer::Ok);
    EXPECT_EQ(seen.icon, icon ? ::LoadIconW(nullptr, icon) : nullptr);
  }
}

TEST_F(DialogsTest, TitleTextAndTheProgramsButtonCaptionsWithTheClickedAnswer) {
  struct Case {
    MessageButtons buttons;
    const char* click;
    MessageAnswer answer;
    Captions captions;
  };
  const Case cases[] = {
      {MessageButtons::YesNo, "はい(&Y)", MessageAnswer::Yes, {"はい(&Y)", "いいえ(&N)"}},
      {MessageButtons::YesNo, "いいえ(&N)", MessageAnswer::No, {"はい(&Y)", "いいえ(&N)"}},
      {MessageButtons::Ok, "OK", MessageAnswer::Ok, {"OK"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.click);
    seen = {};
    test::whenBoxOpens(seen, [&c](HWND box) { EXPECT_TRUE(test::clickButton(box, c.click)); });
    EXPECT_EQ(view.messageBox(MessageKind::Confirmation, "確認", kQuestion, c.buttons), c.answer);
    EXPECT_EQ(seen.title, "確認");
    EXPECT_EQ(seen.text,
              "既に同バージョンまたは上位バージョンがインストールされています。\r\n"
              "上書き更新を行いますか？");
    EXPECT_EQ(seen.buttons, c.captions);
  }
}

TEST_F(DialogsTest, EscapeOrTheCloseBoxAnswersNoOrOkAndEnterTakesTheDefault) {
  struct Case {
    MessageButtons buttons;
    const char* how;
    MessageAnswer answer;
  };
  const Case cases[] = {
      {MessageButtons::YesNo, "Escape", MessageAnswer::No},
      {MessageButtons::YesNo, "Enter", MessageAnswer::Yes},
      {MessageButtons::YesNo, "close", MessageAnswer::No},
      {MessageButtons::Ok, "Escape", MessageAnswer::Ok},
      {MessageButtons::Ok, "Enter", MessageAnswer::Ok},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    test::whenBoxOpens(seen, [how = std::string(c.how)](HWND box) {
      if (how == "close") ::PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
      if (how == "Escape") pressKey(VK_ESCAPE);
      if (how == "Enter") pressKey(VK_RETURN);
    });
    EXPECT_EQ(view.messageBox(MessageKind::Confirmation, "確認", "?", c.buttons), c.answer);
  }
}

TEST_F(DialogsTest, ClosedBoxGivesTheWindowItsActivationBack) {
  const int before = events.count("Activate");
  test::whenBoxOpens(seen, [](HWND box) { test::clickButton(box, "OK"); });
  view.messageBox(MessageKind::Plain, "", "x", MessageButtons::Ok);
  EXPECT_TRUE(test::pumpUntil([&] { return events.count("Activate") > before; }));
  EXPECT_EQ(::GetActiveWindow(), view.window().handle());
  EXPECT_TRUE(view.isWindowEnabled());
}

TEST_F(DialogsTest, PasswordBoxShowsDotsAndTellsCancelFromAnEmptyAnswer) {
  for (const bool ok : {true, false}) {
    SCOPED_TRACE(ok ? "OK" : "キャンセル");
    LONG_PTR style = 0;
    test::whenBoxOpens(seen, [&](HWND box) {
      style = ::GetWindowLongPtrW(seen.edit, GWL_STYLE);
      ::SetWindowTextW(seen.edit, L"秘密");
      test::clickButton(box, ok ? "OK" : "キャンセル");
    });
    const auto typed = view.askInput("プロキシ認証", "パスワードを入力してください", "",
                                     platform::InputMode::Password);
    EXPECT_TRUE(style & ES_PASSWORD);
    EXPECT_EQ(typed, ok ? std::optional<std::string>("秘密") : std::nullopt);
  }
}

TEST_F(DialogsTest, InputBoxGivesTheEditedTextOnOkAndThePrefilledOneOtherwise) {
  struct Case {
    const char* how;
    std::string result;
  };
  const Case cases[] = {
      {"OK", "８０８０ポート"}, {"Enter", "８０８０ポート"}, {"キャンセル", "8080"},
      {"Escape", "8080"},       {"close", "8080"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    seen = {};
    test::whenBoxOpens(seen, [&](HWND box) {
      ::SetWindowTextW(seen.edit, L"８０８０ポート");
      const std::string how = c.how;
      if (how == "close") ::PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
      if (how == "Escape") pressKey(VK_ESCAPE);
      if (how == "Enter") pressKey(VK_RETURN);
      if (how == "OK" || how == "キャンセル") test::clickButton(box, how);
    });
    EXPECT_EQ(view.inputBox("プロキシ設定", "プロキシPort", "8080"), c.result);
    EXPECT_EQ(seen.title, "プロキシ設定");
    EXPECT_EQ(seen.text, "プロキシPort");
    EXPECT_EQ(seen.inputValue, "8080");
    EXPECT_EQ(seen.buttons, (Captions{"OK", "キャンセル"}));
  }
}

}  // namespace
