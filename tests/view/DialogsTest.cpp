// The program's modal boxes: exact titles, texts, icons and button texts, and their answers.
#include <gtest/gtest.h>

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include "app/WindowDesign.h"
#include "platform/qt/CheckList.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/QtView.h"
#include "platform/qt/UpdateWindow.h"
#include "tests/view/ViewTestSupport.h"

namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageKind;

class DialogsTest : public testing::Test {
 protected:
  void SetUp() override {
    view.setEvents(&events);
    view.show();
    ASSERT_TRUE(test::waitUntil([&] { return events.count("Activate") > 0; }));
  }

  test::RecordingEvents events;
  platform::qt::QtView view{app::kMainForm};
  test::SeenBox seen;
};

TEST_F(DialogsTest, KindGivesTheIcon) {
  const std::pair<MessageKind, QMessageBox::Icon> cases[] = {
      {MessageKind::Plain, QMessageBox::NoIcon},
      {MessageKind::Information, QMessageBox::Information},
      {MessageKind::Confirmation, QMessageBox::Question},
      {MessageKind::Error, QMessageBox::Critical},
  };
  for (auto [kind, icon] : cases) {
    SCOPED_TRACE(static_cast<int>(kind));
    seen = {};
    test::whenBoxOpens(seen, [](QWidget* box) { test::clickButton(box, "OK"); });
    EXPECT_EQ(view.messageBox(kind, "情報", "本文", MessageButtons::Ok), MessageAnswer::Ok);
    EXPECT_EQ(seen.className, "QMessageBox");
    EXPECT_EQ(seen.icon, icon);
  }
}

TEST_F(DialogsTest, TitleTextAndButtonsAreExactWithCrAsLineBreak) {
  struct Case {
    std::string text;
    QString shown;
  };
  const Case cases[] = {
      {"「国土交通省電子納品基準」の\r選択解除はできません。",
       QString::fromUtf8("「国土交通省電子納品基準」の\n選択解除はできません。")},
      {"このアップデートを行うと\r\r必ず", QString::fromUtf8("このアップデートを行うと\n\n必ず")},
      {"CR LF\r\nは一行", QString::fromUtf8("CR LF\nは一行")},
      {"<b>ファイル</b> & 名", QString::fromUtf8("<b>ファイル</b> & 名")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    seen = {};
    test::whenBoxOpens(seen, [](QWidget* box) { test::clickButton(box, "OK"); });
    view.messageBox(MessageKind::Plain, "エラー", c.text, MessageButtons::Ok);
    EXPECT_EQ(seen.title.toStdString(), "エラー");
    EXPECT_EQ(seen.text, c.shown);
    EXPECT_EQ(seen.buttons, QStringList{"OK"});
  }
}

TEST_F(DialogsTest, MessageTextIsNeverReadAsMarkup) {
  test::whenBoxOpens(seen, [](QWidget* box) {
    EXPECT_EQ(static_cast<QMessageBox*>(box)->textFormat(), Qt::PlainText);
    test::clickButton(box, "OK");
  });
  view.messageBox(MessageKind::Error, "エラー", "<i>x</i>", MessageButtons::Ok);
}

TEST_F(DialogsTest, YesNoBoxHasTheProgramsButtonTextsAndReturnsTheClickedOne) {
  const std::pair<const char*, MessageAnswer> cases[] = {
      {"はい(&Y)", MessageAnswer::Yes},
      {"いいえ(&N)", MessageAnswer::No},
  };
  for (auto [button, answer] : cases) {
    SCOPED_TRACE(button);
    seen = {};
    const QString text = QString::fromUtf8(button);
    test::whenBoxOpens(seen, [text](QWidget* box) { test::clickButton(box, text); });
    EXPECT_EQ(view.messageBox(MessageKind::Confirmation, "確認",
                              "既に同バージョンまたは上位バージョンがインストールされています。"
                              "\r上書き更新を行いますか？",
                              MessageButtons::YesNo),
              answer);
    EXPECT_EQ(seen.title.toStdString(), "確認");
    EXPECT_EQ(seen.buttons,
              (QStringList{QString::fromUtf8("はい(&Y)"), QString::fromUtf8("いいえ(&N)")}));
  }
}

TEST_F(DialogsTest, EscapeAnswersNoOrOkAndEnterTakesTheDefault) {
  struct Case {
    MessageButtons buttons;
    Qt::Key key;
    MessageAnswer answer;
  };
  const Case cases[] = {
      {MessageButtons::YesNo, Qt::Key_Escape, MessageAnswer::No},
      {MessageButtons::YesNo, Qt::Key_Return, MessageAnswer::Yes},
      {MessageButtons::Ok, Qt::Key_Escape, MessageAnswer::Ok},
      {MessageButtons::Ok, Qt::Key_Return, MessageAnswer::Ok},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    test::whenBoxOpens(seen, [key = c.key](QWidget* box) { QTest::keyClick(box, key); });
    EXPECT_EQ(view.messageBox(MessageKind::Confirmation, "確認", "?", c.buttons), c.answer);
  }
}

TEST_F(DialogsTest, ClosingTheBoxWindowAnswersLikeEscape) {
  test::whenBoxOpens(seen, [](QWidget* box) { box->close(); });
  EXPECT_EQ(view.messageBox(MessageKind::Confirmation, "確認", "?", MessageButtons::YesNo),
            MessageAnswer::No);
}

TEST_F(DialogsTest, ClosedBoxGivesTheWindowItsActivationBack) {
  const int before = events.count("Activate");
  test::whenBoxOpens(seen, [](QWidget* box) { test::clickButton(box, "OK"); });
  view.messageBox(MessageKind::Plain, "", "x", MessageButtons::Ok);
  EXPECT_TRUE(test::waitUntil([&] { return events.count("Activate") > before; }));
}

TEST_F(DialogsTest, InputBoxShowsPromptValueAndTheTwoButtons) {
  test::whenBoxOpens(seen, [](QWidget* box) { test::clickButton(box, "OK"); });
  EXPECT_EQ(view.inputBox("プロキシ設定", "プロキシIP", "proxy.example.jp"), "proxy.example.jp");
  EXPECT_EQ(seen.className, "QInputDialog");
  EXPECT_EQ(seen.title.toStdString(), "プロキシ設定");
  EXPECT_EQ(seen.text.toStdString(), "プロキシIP");
  EXPECT_EQ(seen.inputValue.toStdString(), "proxy.example.jp");
  EXPECT_TRUE(seen.buttons.contains("OK"));
  EXPECT_TRUE(seen.buttons.contains(QString::fromUtf8("キャンセル")));
  EXPECT_EQ(seen.buttons.size(), 2);
}

TEST_F(DialogsTest, InputBoxGivesTheEditedTextOnOkAndThePrefilledOneOtherwise) {
  struct Case {
    const char* how;
    std::function<void(QWidget*)> finish;
    std::string result;
  };
  const Case cases[] = {
      {"OK", [](QWidget* box) { test::clickButton(box, "OK"); }, "８０８０ポート"},
      {"キャンセル", [](QWidget* box) { test::clickButton(box, QString::fromUtf8("キャンセル")); },
       "8080"},
      {"Escape", [](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); }, "8080"},
      {"close", [](QWidget* box) { box->close(); }, "8080"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    seen = {};
    test::whenBoxOpens(seen, [finish = c.finish](QWidget* box) {
      QLineEdit* edit = box->findChild<QLineEdit*>();
      ASSERT_NE(edit, nullptr);
      edit->setText(QString::fromUtf8("８０８０ポート"));
      finish(box);
    });
    EXPECT_EQ(view.inputBox("プロキシ設定", "プロキシPort", "8080"), c.result);
  }
}

TEST_F(DialogsTest, PasswordBoxShowsDotsAndTellsCancelFromAnEmptyAnswer) {
  for (const bool ok : {true, false}) {
    SCOPED_TRACE(ok ? "OK" : "キャンセル");
    QLineEdit::EchoMode echo = QLineEdit::Normal;
    test::whenBoxOpens(seen, [&](QWidget* box) {
      QLineEdit* edit = box->findChild<QLineEdit*>();
      ASSERT_NE(edit, nullptr);
      echo = edit->echoMode();
      edit->setText(QString::fromUtf8("秘密"));
      test::clickButton(box, ok ? QString("OK") : QString::fromUtf8("キャンセル"));
    });
    const auto typed = view.askInput("プロキシ認証", "パスワードを入力してください", "",
                                     platform::InputMode::Password);
    EXPECT_EQ(echo, QLineEdit::Password);
    EXPECT_EQ(typed, ok ? std::optional<std::string>("秘密") : std::nullopt);
  }
}

TEST_F(DialogsTest, BoxOpenedByTheTickHandlerThenReTickWorks) {
  // The mandatory-standard rule: the handler shows a box, then ticks the item again.
  view.setChecked(1, true);
  events.onCall = [&](const std::string& name) {
    if (name != "ClickCheck" || view.isChecked(view.itemIndex())) return;
    view.messageBox(MessageKind::Plain, "", "「農林水産省電子納品基準」の\r選択解除はできません。",
                    MessageButtons::Ok);
    view.setChecked(view.itemIndex(), true);
  };
  test::whenBoxOpens(seen, [](QWidget* box) { test::clickButton(box, "OK"); });
  platform::qt::CheckList* list = view.window().checkList();
  list->setFocus();
  list->setCurrentRow(1);
  QTest::keyClick(list, Qt::Key_Space);
  EXPECT_EQ(seen.text, QString::fromUtf8("「農林水産省電子納品基準」の\n選択解除はできません。"));
  EXPECT_TRUE(view.isChecked(1));
  EXPECT_EQ(events.count("ClickCheck"), 1);
}

TEST(BoxText, LineBreaksOfTheProgramBecomeNewlines) {
  const std::pair<const char*, const char*> cases[] = {
      {"a\rb", "a\nb"}, {"a\r\nb", "a\nb"}, {"a\r\r\nb", "a\n\nb"}, {"a\nb", "a\nb"}, {"", ""}};
  for (auto [in, out] : cases) {
    SCOPED_TRACE(in);
    EXPECT_EQ(platform::qt::boxText(in).toStdString(), out);
  }
}

}  // namespace
