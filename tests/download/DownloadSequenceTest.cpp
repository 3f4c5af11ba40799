// The download sequence against the loopback mirror: requests, display texts, error boxes and the
// hand-over to the expansion run.
#include <regex>

#include "download/FileTables.h"
#include "tests/download/DownloadFixture.h"

using platform::Control;

namespace test {
namespace {

constexpr const char* kCompleted = "アップデートが完了しました。終了します。";

std::vector<std::string> prefixed(const std::string& prefix, const std::vector<std::string>& names,
                                  size_t count = static_cast<size_t>(-1)) {
  std::vector<std::string> out;
  for (size_t i = 0; i < names.size() && i < count; ++i) out.push_back(prefix + names[i]);
  return out;
}

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<std::string> startingWith(const std::vector<std::string>& texts,
                                      const std::string& prefix) {
  std::vector<std::string> out;
  for (const auto& t : texts) {
    if (t.rfind(prefix, 0) == 0) out.push_back(t);
  }
  return out;
}

// The MsgLabel texts a pass shows: the share of the file now starting, truncated.
std::vector<std::string> percentTexts(int pass, size_t count) {
  std::vector<std::string> out;
  for (size_t i = 1; i <= count; ++i) {
    out.push_back("アップデートコンポーネント(" + std::to_string(pass) + ")のダウンロード " +
                  std::to_string(i * 100 / count) + "%");
  }
  return out;
}

using DownloadSequenceTest = DownloadTest;

TEST_F(DownloadSequenceTest, BothPassesFetchThroughTheProxyAndHandOverToTheExpansion) {
  putTwoFolderInstallation(1, 0, 0, 0);
  openWindow({0, 1});
  mark();
  press();

  const auto list1 = expectedList(true, {0, 1});
  const auto list2 = expectedList(false, {0, 1});
  ASSERT_EQ(list1.size(), 40u);
  ASSERT_EQ(list2.size(), 66u);
  EXPECT_EQ(requests(), concat(prefixed("v128/", list1), prefixed("20251299/", list2)));
  // Proxy requests carry the whole address; the Japanese name goes out as CP932 bytes.
  auto raw = m_mirror->requestLog();
  ASSERT_EQ(raw.size(), 106u) << ::testing::PrintToString(texts());
  EXPECT_EQ(raw[0], "http://update.valtern.jp/brevan/v128/PictDesk.ex_");
  EXPECT_EQ(raw[22], "http://update.valtern.jp/brevan/v128/" +
                         machine.services().codec.toCp932("ヘルプ.lzh"));
  EXPECT_EQ(raw[40], "http://update.valtern.jp/brevan/20251299/PictDesk.ex_");

  EXPECT_TRUE(unpressStarted(1));
  EXPECT_TRUE(unpressStarted(2));
  EXPECT_EQ(texts(), std::vector<std::string>{kCompleted});
  EXPECT_TRUE(form->closed());
  // The expansion installed what arrived (the launcher from its own file) and cleaned the work
  // folders.
  EXPECT_EQ(machine.get(std::string(kRoot) + "NEW_BIN\\PictDesk.EXE"), contentOf("PictDesk.ex_"));
  EXPECT_EQ(machine.get(std::string(kRoot) + "PICTDESK.EXE"), contentOf("DeskRun.Ex_"));
  EXPECT_EQ(machine.get(std::string(kRoot) + "OLD_BIN\\pictdesk.exe"), contentOf("PictDesk.ex_"));
  EXPECT_FALSE(machine.has("C:\\TEMP\\BrvNewUp\\PictDesk.ex_"));
  EXPECT_FALSE(machine.has("C:\\TEMP\\BrvOldUp\\PictDesk.ex_"));

  auto msg = msgSinceMark();
  EXPECT_EQ(startingWith(msg, "アップデートコンポーネント(1)のダウンロード "), percentTexts(1, 40));
  EXPECT_EQ(startingWith(msg, "アップデートコンポーネント(2)のダウンロード "), percentTexts(2, 66));
  EXPECT_EQ(percentTexts(1, 40)[2], "アップデートコンポーネント(1)のダウンロード 7%");
  EXPECT_EQ(percentTexts(2, 66)[1], "アップデートコンポーネント(2)のダウンロード 3%");
  // Each pass expands only after its last download text.
  auto at = [&](const std::string& text) {
    return std::find(msg.begin(), msg.end(), text) - msg.begin();
  };
  EXPECT_LT(at(percentTexts(1, 40).back()), at("アップデートコンポーネント(1)の展開..."));
  EXPECT_LT(at("アップデートコンポーネント(1)の展開..."), at(percentTexts(2, 66).front()));
  EXPECT_LT(at(percentTexts(2, 66).back()), at("アップデートコンポーネント(2)の展開..."));

  // Every complete file ends with its announced length.
  auto labels = progressSinceMark();
  size_t completed = 0;
  for (const auto& l : labels) completed += l.find(" Bytes Completed") != std::string::npos;
  EXPECT_EQ(completed, 106u);
}

TEST_F(DownloadSequenceTest, ProgressLabelFollowsEachFileFromEmptyToItsLength) {
  putTwoFolderInstallation(1, 2, 9, 0);  // pass (2) only
  openWindow({0});
  // The first file arrives in several pieces.
  m_mirror->setFault("PictDesk.ex_", {mirror::FaultKind::kSlow, 0, 250, 25});
  const size_t barsBefore = view.progressHistory.size();
  mark();
  press();

  auto labels = progressSinceMark();
  auto end = std::find(labels.begin(), labels.end(), "1000 Bytes Completed");
  ASSERT_NE(end, labels.end());
  ASSERT_NE(end + 1, labels.end());
  EXPECT_EQ(labels.front(), "");  // start of the transfer
  EXPECT_EQ(*(end + 1), "");      // after the fetch returned
  const std::regex running("([0-9]+)/1000 Bytes Completion");
  long last = -1;
  for (auto it = labels.begin() + 1; it != end; ++it) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(*it, m, running)) << *it;
    long n = std::stol(m[1]);
    EXPECT_GE(n, last);
    last = n;
  }
  EXPECT_EQ(last, 1000);
  EXPECT_GE(end - labels.begin(), 3);  // more than one piece showed
  // The bar: cleared at the start, rising to 100, cleared once the fetch returned.
  std::vector<int> bars(view.progressHistory.begin() + static_cast<std::ptrdiff_t>(barsBefore),
                        view.progressHistory.end());
  auto full = std::find(bars.begin(), bars.end(), 100);
  ASSERT_NE(full, bars.end());
  EXPECT_EQ(bars.front(), 0);
  EXPECT_TRUE(std::is_sorted(bars.begin(), full));
  EXPECT_GE(full - bars.begin(), 2);  // at least one step between 0 and 100
  EXPECT_EQ(*(full + 1), 0);
  EXPECT_EQ(texts(), std::vector<std::string>{kCompleted});
}

struct FailureRow {
  const char* what;
  bool firstPass;
  std::string file;
  int status;
  size_t number;
  std::string box;
};

TEST_F(DownloadSequenceTest, FailedFetchShowsItsPositionInTheWholeListAndStopsThePass) {
  const std::string plugin2{download::StandardFiles2[0][0]};
  const FailureRow rows[] = {
      {"fifth file, pass (1)", true, "PAGESET.EX_", 404, 5,
       "通信エラーが発生しました[5]\r\r404: Not Found"},
      {"fifth file, pass (2)", false, "PAGESET.EX_", 500, 5,
       "通信エラーが発生しました[5]\rPAGESET.EX_\r\r500: Internal Server Error"},
      {"first plug-in, pass (2)", false, plugin2, 404, 43,
       "通信エラーが発生しました[43]\r" + plugin2 + "\r\r404: Not Found"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    m_mirror->clearFaults();
    m_mirror->setFault(row.file, {mirror::FaultKind::kStatus, row.status, 0, 0});
    putTwoFolderInstallation(1, row.firstPass ? 0 : 2, row.firstPass ? 0 : 9, 0);
    openWindow({0, 1});
    size_t before = requests().size();
    press();

    auto list = expectedList(row.firstPass, {0, 1});
    auto all = requests();
    std::vector<std::string> made(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    EXPECT_EQ(made, prefixed(row.firstPass ? "v128/" : "20251299/", list, row.number));
    ASSERT_EQ(texts(), std::vector<std::string>{row.box});
    EXPECT_EQ(view.messages[0].title, "エラー");
    EXPECT_FALSE(unpressStarted(1));
    EXPECT_FALSE(unpressStarted(2));
    EXPECT_FALSE(form->closed());
    // Pass (1) keeps the stop for the rest of the run; pass (2) clears it on the way out.
    EXPECT_EQ(form->CancelRequested, row.firstPass);
    EXPECT_FALSE(view.isVisible(Control::CancelButton));
    expectIdle();
    // The failed file left nothing that could pass for a download.
    EXPECT_FALSE(machine.has(form->WorkPath + row.file));
    form.reset();
  }
}

TEST_F(DownloadSequenceTest, IncompleteLastFileIsNotExpanded) {
  const auto list = expectedList(false, {0});
  ASSERT_EQ(list.size(), 58u);
  // Without a length the file cannot count, also when it is as long as the file before it.
  const size_t before = contentOf(list[56]).size();
  struct Row {
    const char* what;
    mirror::Fault fault;
    const char* boxStart;  // empty: no box
  } rows[] = {
      {"no Content-Length", {mirror::FaultKind::kNoLength, 0, 0, 0}, ""},
      {"no Content-Length, as long as the file before",
       {mirror::FaultKind::kNoLength, 0, before, 0},
       ""},
      {"short body", {mirror::FaultKind::kShortBody, 0, 5, 0}, "通信エラーが発生しました[58]\r"},
      {"dropped mid-body", {mirror::FaultKind::kReset, 0, 5, 0}, "通信エラーが発生しました[58]\r"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    m_mirror->clearFaults();
    m_mirror->setFault(list.back(), row.fault);
    putTwoFolderInstallation(1, 2, 9, 0);
    openWindow({0});
    // Whatever the start button showed, the incomplete file gives it back its own caption.
    view.setCaption(Control::DownLoadButton, "changed");
    const size_t requested = requests().size();
    press();

    EXPECT_EQ(requests().size() - requested, 58u);
    EXPECT_FALSE(unpressStarted(2));
    EXPECT_FALSE(form->closed());
    EXPECT_FALSE(form->TransferDone);
    EXPECT_EQ(view.caption(Control::MsgLabel), kReadyText);
    EXPECT_EQ(view.caption(Control::ProgressLabel), "");
    EXPECT_EQ(view.caption(Control::DownLoadButton), "アップデート開始");
    // The two buttons share one place: only the start button is left.
    EXPECT_TRUE(view.isVisible(Control::DownLoadButton));
    EXPECT_FALSE(view.isVisible(Control::CancelButton));
    EXPECT_EQ(view.progress(), 0);
    if (*row.boxStart == 0) {
      EXPECT_TRUE(view.messages.empty());
    } else {
      ASSERT_EQ(view.messages.size(), 1u);
      EXPECT_EQ(view.messages[0].text.rfind(row.boxStart + list.back() + "\r\r", 0), 0u)
          << view.messages[0].text;
    }
    expectIdle();
    // Nothing was installed: the earlier files wait in the work folder for the next press.
    EXPECT_TRUE(machine.has("C:\\TEMP\\BrvNewUp\\" + list[0]));
    EXPECT_FALSE(machine.has(std::string(kRoot) + "NEW_BIN\\PictDesk.EXE"));
    form.reset();
  }
}

}  // namespace
}  // namespace test
