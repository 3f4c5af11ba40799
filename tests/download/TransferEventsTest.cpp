// The transfer event handlers on their own: percentages, bar rounding, labels and the error rule.
#include <cstdio>

#include "tests/app/WindowFixture.h"

using platform::Control;

namespace test {
namespace {

constexpr const char* kReady = "[アップデート開始]をクリックして作業を開始してください。";

class TransferEventsTest : public WindowTest {
 protected:
  TransferEventsTest() {
    putSettings("C:\\B\\");
    create();
    view.messages.clear();  // the start-up notice
    form->WorkList->assign(40, "FILE.EX_");
    form->ContentLength = 2147483647.0;
  }
  platform::HttpTransfer& sender() { return *form->ipwHTTP; }
  void start(int item) {
    form->CurrentItem = item;
    form->ipwHTTPStartTransfer(sender(), 0);
  }
  void header(const std::string& field, const std::string& value) {
    form->ipwHTTPHeader(sender(), field, value);
  }
  void transfer(int32_t bytes) { form->ipwHTTPTransfer(sender(), 0, bytes, "piece"); }
  void end() { form->ipwHTTPEndTransfer(sender(), 0); }
};

TEST_F(TransferEventsTest, StartShowsTheTruncatedShareOfTheFileNowStarting) {
  struct Row {
    bool firstPass;
    int item;
    int count;
    const char* text;
  } rows[] = {
      // (item / count) * 100 truncated toward zero.
      {true, 1, 40, "アップデートコンポーネント(1)のダウンロード 2%"},
      {true, 3, 40, "アップデートコンポーネント(1)のダウンロード 7%"},
      {true, 40, 40, "アップデートコンポーネント(1)のダウンロード 100%"},
      {false, 2, 3, "アップデートコンポーネント(2)のダウンロード 66%"},
      {false, 1, 66, "アップデートコンポーネント(2)のダウンロード 1%"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    form->FirstPass = row.firstPass;
    form->WorkList->assign(static_cast<size_t>(row.count), "FILE.EX_");
    form->TransferDone = true;
    view.setProgress(55);
    view.setCaption(Control::ProgressLabel, "old");
    start(row.item);
    EXPECT_EQ(view.caption(Control::MsgLabel), row.text);
    EXPECT_FALSE(form->TransferDone);
    EXPECT_EQ(view.progress(), 0);
    EXPECT_EQ(view.caption(Control::ProgressLabel), "");
  }
}

TEST_F(TransferEventsTest, EveryShareIsWholeNumberArithmetic) {
  // The 29th of 50 files reads 58%, where a double would give 57.
  form->FirstPass = true;
  for (int count = 1; count <= 250; ++count) {
    form->WorkList->assign(static_cast<size_t>(count), "FILE.EX_");
    for (int item = 1; item <= count; ++item) {
      start(item);
      ASSERT_EQ(view.caption(Control::MsgLabel), "アップデートコンポーネント(1)のダウンロード " +
                                                     std::to_string(item * 100 / count) + "%")
          << item << " of " << count;
    }
  }
}

TEST_F(TransferEventsTest, AfterCancelStartClearsTheProgressButKeepsTheMessage) {
  view.setCaption(Control::MsgLabel, kReady);
  form->CancelRequested = true;
  view.setProgress(40);
  int repaints = view.repaintCount;
  start(3);
  EXPECT_EQ(view.caption(Control::MsgLabel), kReady);
  EXPECT_EQ(view.progress(), 0);
  EXPECT_EQ(view.caption(Control::ProgressLabel), "");
  EXPECT_GT(view.repaintCount, repaints);  // repainted all the same
}

TEST_F(TransferEventsTest, HeaderReadsContentLengthInAnyCaseAndIgnoresTheRest) {
  struct Row {
    const char* field;
    const char* value;
    double length;
  } rows[] = {
      {"Content-Length", "1024", 1024.0},
      {"content-length", "77", 77.0},
      {"CONTENT-LENGTH", "0", 0.0},
      {"Content-Type", "12", 2147483647.0},
      {"Content-Length-X", "12", 2147483647.0},
      // Values that are no 32-bit number keep the unreachable default.
      {"Content-Length", "abc", 2147483647.0},
      {"Content-Length", "99999999999", 2147483647.0},
      {"Content-Length", "", 2147483647.0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.field) + ": " + row.value);
    form->ContentLength = 2147483647.0;
    EXPECT_NO_THROW(header(row.field, row.value));
    EXPECT_EQ(form->ContentLength, row.length);
  }
}

TEST_F(TransferEventsTest, ProgressRoundsHalvesToEvenAndLabelsTheCount) {
  struct Row {
    int32_t bytes;
    double length;
    int bar;
    const char* label;
  } rows[] = {
      {512, 1024, 50, "512/1024 Bytes Completion"},
      {1, 8, 12, "1/8 Bytes Completion"},  // 12.5 → 12
      {3, 8, 38, "3/8 Bytes Completion"},  // 37.5 → 38
      {5, 8, 62, "5/8 Bytes Completion"},  // 62.5 → 62
      {1, 3, 33, "1/3 Bytes Completion"},
      {8, 8, 100, "8/8 Bytes Completion"},
      {0, 8, 0, "0/8 Bytes Completion"},
      // No length announced: counted against the largest 32-bit value.
      {1000, 2147483647.0, 0, "1000/2147483647 Bytes Completion"},
      {10737419, 2147483647.0, 1, "10737419/2147483647 Bytes Completion"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    form->ContentLength = row.length;
    transfer(row.bytes);
    EXPECT_EQ(form->TransferredBytes, row.bytes);
    EXPECT_EQ(view.progress(), row.bar);
    EXPECT_EQ(view.caption(Control::ProgressLabel), row.label);
  }
}

TEST_F(TransferEventsTest, LengthsTheArithmeticCannotUseLeaveTheBarInRange) {
  struct Row {
    int32_t bytes;
    double length;
    const char* label;
  } rows[] = {
      {0, 0.0, "0/0 Bytes Completion"},
      {10, 0.0, "10/0 Bytes Completion"},
      {2147483647, 1.0, "2147483647/1 Bytes Completion"},
      {300, 100.0, "300/100 Bytes Completion"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    form->ContentLength = row.length;
    EXPECT_NO_THROW(transfer(row.bytes));
    EXPECT_GE(view.progress(), 0);
    EXPECT_LE(view.progress(), 100);
    EXPECT_EQ(view.caption(Control::ProgressLabel), row.label);
  }
  form->ContentLength = 0.0;
  form->TransferredBytes = 0;
  form->CurrentItem = 40;
  EXPECT_NO_THROW(end());
  EXPECT_EQ(view.caption(Control::ProgressLabel), "0 Bytes Completed");
  EXPECT_TRUE(form->TransferDone);  // an empty file that arrived whole is complete
}

TEST_F(TransferEventsTest, AfterCancelProgressCountsButDoesNotDisplay) {
  form->ContentLength = 100;
  transfer(10);
  form->CancelRequested = true;
  transfer(60);
  EXPECT_EQ(form->TransferredBytes, 60);
  EXPECT_EQ(view.progress(), 10);
  EXPECT_EQ(view.caption(Control::ProgressLabel), "10/100 Bytes Completion");
}

TEST_F(TransferEventsTest, CompleteLastFileEndsThePass) {
  form->CurrentItem = 40;
  form->ContentLength = 512;
  transfer(512);
  end();
  EXPECT_TRUE(form->TransferDone);
  EXPECT_EQ(view.caption(Control::ProgressLabel), "512 Bytes Completed");
  EXPECT_EQ(form->TransferredBytes, 512);
}

TEST_F(TransferEventsTest, CompleteEarlierFileChangesNothing) {
  view.setCaption(Control::MsgLabel, "アップデートコンポーネント(1)のダウンロード 7%");
  form->CurrentItem = 3;
  form->ContentLength = 512;
  transfer(512);
  end();
  EXPECT_FALSE(form->TransferDone);
  EXPECT_EQ(view.caption(Control::ProgressLabel), "512 Bytes Completed");
  EXPECT_EQ(view.caption(Control::MsgLabel), "アップデートコンポーネント(1)のダウンロード 7%");
}

TEST_F(TransferEventsTest, IncompleteOrUnannouncedBodyReturnsToIdleTexts) {
  struct Row {
    const char* what;
    double length;
    int32_t received;
    bool cancelled;
  } rows[] = {
      {"short body", 512, 100, false},
      {"no Content-Length", 2147483647.0, 700, false},
      {"longer than announced", 10, 700, false},
      {"short body after cancel", 512, 100, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    form->CancelRequested = row.cancelled;
    form->CurrentItem = 40;
    form->ContentLength = row.length;
    view.setCaption(Control::DownLoadButton, "other");
    view.setCaption(Control::MsgLabel, "アップデートコンポーネント(1)のダウンロード 100%");
    transfer(row.received);
    end();
    auto labels = view.captionHistory[Control::ProgressLabel];
    ASSERT_GE(labels.size(), 2u);
    // The announced length is shown first, then the label is cleared.
    char completed[64];
    std::snprintf(completed, sizeof completed, "%.0f Bytes Completed", row.length);
    EXPECT_EQ(labels[labels.size() - 2], completed);
    EXPECT_EQ(labels.back(), "");
    EXPECT_EQ(view.caption(Control::MsgLabel), kReady);
    EXPECT_EQ(view.caption(Control::DownLoadButton), "アップデート開始");
    EXPECT_EQ(view.progress(), 0);
    EXPECT_FALSE(form->TransferDone);
    EXPECT_EQ(form->TransferredBytes, 0);
    EXPECT_EQ(form->CancelRequested, row.cancelled);  // the pass is not stopped by this
  }
}

TEST_F(TransferEventsTest, OnlyTheFirstErrorOfARunIsShown) {
  form->ipwHTTPError(sender(), 404, "Not Found");
  form->ipwHTTPError(sender(), 1007, "Couldn't connect to server");
  ASSERT_EQ(texts(), std::vector<std::string>{"[404]Not Found"});
  EXPECT_EQ(view.messages[0].title, "エラー");
  EXPECT_EQ(view.messages[0].kind, platform::MessageKind::Error);
  EXPECT_EQ(view.messages[0].buttons, platform::MessageButtons::Ok);
  EXPECT_TRUE(form->CancelRequested);
}

TEST_F(TransferEventsTest, ErrorAfterCancelIsNotShown) {
  view.events->onCancelClick();
  form->ipwHTTPError(sender(), 1042, "Operation was aborted");
  EXPECT_TRUE(view.messages.empty());
  EXPECT_TRUE(form->CancelRequested);
}

TEST_F(TransferEventsTest, HandlersSurviveAReleasedWorkList) {
  // The window may close while a transfer still reports; the list is gone by then.
  form->WorkList.reset();
  form->CurrentItem = 3;
  form->ContentLength = 4;
  EXPECT_NO_THROW(start(3));
  EXPECT_NO_THROW(transfer(4));
  EXPECT_NO_THROW(end());
  EXPECT_FALSE(form->TransferDone);
}

}  // namespace
}  // namespace test
