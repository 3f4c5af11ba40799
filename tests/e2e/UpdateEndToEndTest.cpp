// The whole update through the real program and its real window: X input on a private Xvfb
// display, the sample release on the update mirror, the installed tree checked file by file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/e2e/RunSteps.h"
#include "tests/e2e/UpdateRun.h"
#include "tools/sample-release/SampleMachine.h"
#include "tools/sample-release/Tree.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Client-area rectangles of the update window.
constexpr Rect kProgressBar{8, 217, 489, 16};
constexpr Rect kMsgLabel{8, 203, 489, 13};
constexpr Rect kStartButton{386, 255, 111, 25};

class UpdateEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string missing = XDisplay::missingTools();
    if (!missing.empty()) GTEST_SKIP() << "no X display to drive: " << missing << " missing";
#ifdef E2E_WINDOWS
    if (!s_wine) s_wine = std::make_unique<WineMachine>();
#endif
  }
  static void TearDownTestSuite() { s_wine.reset(); }

  // The Windows program runs in one Wine prefix for all runs: making one takes longer than a run.
  static inline std::unique_ptr<WineMachine> s_wine;

  static std::vector<std::string> entriesOf(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  static std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  static std::vector<std::string> concat(std::vector<std::string> a,
                                         const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }

  // After a run stopped at MERGEHELP.IN_ (the 38th name of pass 2) with the window idle again:
  // nothing more fetched, the user closes the window, pass 1 is installed and pass 2 fetched up
  // to the stopped file, which is not kept, and not installed.
  void expectStoppedAtTheMergeFile(UpdateRun& run, unsigned long window) {
    EXPECT_EQ(run.display().windows("情報").size(), 0u);
    const sample::Ticks ticks = sample::allTicked();
    std::vector<std::string> pass2 = expectedRequests(2, ticks);
    pass2.resize(38);
    EXPECT_EQ(run.requests(), concat(expectedRequests(1, ticks), pass2));
    waitForPaint(run, window);
    run.shot("3-idle-again.png", window);

    // The user closes the window with its close box; the ticks are saved on the way out.
    run.display().requestClose(window);
    const auto status = run.program().waitFor(30s);
    ASSERT_TRUE(status.has_value()) << "the window did not close" << run.shownWindows();
    EXPECT_EQ(*status, 0);

    sample::Tree expected = sample::expectedDriveCAfterPass2Failure(ticks, "127.0.0.1", run.port());
    const std::vector<std::string> names = sample::workList(2, ticks);
    for (size_t i = 0; i < 37; ++i) {
      expected.put("TEMP/BrvNewUp/" + names[i],
                   readFile(std::string(E2E_RELEASE_DIR) + "/brevan/20251299/" + names[i]));
    }
    expectTree(expected, run);
  }

  // A second run on the machine a complete update left: "はい" to the overwrite question, the
  // update started and cancelled during its second file (a slow one). The window is ready
  // again, the file fetched before the cancel is kept, the cancelled one is not, nothing is
  // installed and nothing more fetched.
  void cancelASecondRun(UpdateRun& run, const sample::Ticks& ticks) {
    sample::Tree expected = run.installedTree();
    const std::vector<std::string> before = run.requests();
    // The slow file takes about 2.5 s: long enough to click, short enough to see it go on.
    run.mirror().clearFaults();
    run.mirror().setFault("StepDlg.ex_", {mirror::FaultKind::kSlow, 0, 32, 100});
    run.startProgram();
    const unsigned long question = run.waitForTitle("確認", 60s);
    ASSERT_NE(question, 0u) << "no overwrite question" << run.shownWindows();
    run.shot("6-overwrite-question.png", question);
    run.display().key(question, "Return");  // "はい(&Y)" is the default button
    ASSERT_TRUE(run.waitUntilGone(question, 10s)) << run.shownWindows();
    const unsigned long window = passNotice(run);
    ASSERT_NE(window, 0u);
    waitForPaint(run, window);
    const auto readyMessage = run.clientPixels(window, kMsgLabel);
    const auto startButton = run.clientPixels(window, kStartButton);

    // Waits until the mirror has seen `count` requests of this run; false after `limit`.
    auto waitForRequests = [&](size_t count, std::chrono::milliseconds limit) {
      const auto end = std::chrono::steady_clock::now() + limit;
      while (run.requests().size() < before.size() + count) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(20ms);
      }
      return true;
    };
    run.clickClient(window, kStartX, kStartY);
    ASSERT_TRUE(waitForRequests(2, 30s)) << run.shownWindows();
    EXPECT_NE(run.clientPixels(window, kStartButton), startButton) << "no cancel button shown";
    run.clickClient(window, kStartX, kStartY);
    run.shot("7-cancelled.png", window);
    // Past the time the slow file would have taken: no further file asked for.
    EXPECT_FALSE(waitForRequests(3, 4s)) << "the download went on after the cancel";
    std::vector<std::string> pass2 = expectedRequests(2, ticks);
    pass2.resize(2);
    EXPECT_EQ(run.requests(), concat(before, pass2));
    waitForPaint(run, window);
    run.shot("8-ready-again.png", window);
    EXPECT_EQ(run.clientPixels(window, kMsgLabel), readyMessage) << "no ready message";
    EXPECT_EQ(run.clientPixels(window, kStartButton), startButton) << "no start button";
    EXPECT_EQ(run.display().windows("エラー").size(), 0u);
    EXPECT_EQ(run.display().windows("情報").size(), 0u);

    run.display().requestClose(window);
    const auto status = run.program().waitFor(30s);
    ASSERT_TRUE(status.has_value()) << "the window did not close" << run.shownWindows();
    EXPECT_EQ(*status, 0);
    // Only the first file of the pass is new, in the work folder; the close saves the same
    // ticks again.
    const std::string first = sample::workList(2, ticks)[0];
    expected.put("TEMP/BrvNewUp/" + first,
                 readFile(std::string(E2E_RELEASE_DIR) + "/brevan/20251299/" + first));
    for (const char* ini : {"/Install.ini", "/New_BIN/Install.ini"}) {
      sample::TreeFile* saved = expected.findFile(sample::kInstallFolder + std::string(ini));
      ASSERT_NE(saved, nullptr) << ini;
      saved->mtime.reset();
    }
    expectTree(expected, run);
  }

  // Starts the update and waits for the one error box its fault gives; true once it is gone.
  static bool passTheOneErrorBox(UpdateRun& run, unsigned long window) {
    run.clickClient(window, kStartX, kStartY);
    const unsigned long error = run.waitForTitle("エラー", 300s);
    EXPECT_NE(error, 0u) << "no error box" << run.shownWindows();
    if (error == 0) return false;
    run.shot("2-error.png", window);
    run.display().key(error, "Return");
    EXPECT_TRUE(run.waitUntilGone(error, 10s)) << run.shownWindows();
    // One box for the failure, none after it.
    EXPECT_EQ(run.waitForTitle("エラー", 1s), 0u) << "a second error box" << run.shownWindows();
    return true;
  }
};

TEST_F(UpdateEndToEndTest, FirstUpdateThroughBothPassesThenASecondRunCancelled) {
  UpdateRun run("complete", s_wine.get());
  // One pass-2 file comes slowly, so that the download can be seen under way.
  run.mirror().setFault("MERGEHELP.IN_", {mirror::FaultKind::kSlow, 0, 128, 100});
  run.startProgram();

  const unsigned long window = passNotice(run);
  ASSERT_NE(window, 0u);
  waitForPaint(run, window);
  run.shot("2-ready.png", window);
  const auto idleBar = run.clientPixels(window, kProgressBar);

  // Untick 高知県 and 山口県農林水産部; the national standard cannot be unticked and says so.
  run.clickTick(window, 3);
  run.clickTick(window, 13);
  run.clickTick(window, 0);
  const unsigned long refusal =
      run.display().waitForWindow(kCaption, 10s, [&](unsigned long w) { return w != window; });
  ASSERT_NE(refusal, 0u) << "no notice for unticking the national standard" << run.shownWindows();
  run.shot("3-national-standard.png", window);
  run.display().key(refusal, "Return");
  ASSERT_TRUE(run.waitUntilGone(refusal, 10s)) << run.shownWindows();
  sample::Ticks ticks = sample::allTicked();
  ticks[3] = ticks[13] = false;

  run.clickClient(window, kStartX, kStartY);
  ASSERT_TRUE(run.waitForRequest("MERGEHELP.IN_", 60s)) << run.shownWindows();
  // Under way: pass 1 fetched whole, pass 2 up to the slow file, the bar moving.
  std::vector<std::string> soFar = expectedRequests(2, ticks);
  soFar.resize(38);  // MERGEHELP.IN_ is the 38th name of pass 2
  EXPECT_EQ(run.requests(), concat(expectedRequests(1, ticks), soFar));
  bool barMoved = false;
  for (int i = 0; i < 100 && !barMoved; ++i) {
    barMoved = run.clientPixels(window, kProgressBar) != idleBar;
    if (!barMoved) std::this_thread::sleep_for(20ms);
  }
  EXPECT_TRUE(barMoved) << "the progress bar did not move during the slow file";
  run.shot("4-progress.png", window);

  const unsigned long done = run.waitForTitle("情報", 300s);
  ASSERT_NE(done, 0u) << "no completion box" << run.shownWindows();
  run.shot("5-completed.png", window);
  EXPECT_EQ(run.display().windows("エラー").size(), 0u);
  run.display().key(done, "Return");
  const auto status = run.program().waitFor(30s);
  ASSERT_TRUE(status.has_value()) << "the program did not end after the completion box";
  EXPECT_EQ(*status, 0);

  EXPECT_EQ(run.requests(), concat(expectedRequests(1, ticks), expectedRequests(2, ticks)));
  expectTree(sample::expectedDriveC(ticks, "127.0.0.1", run.port()), run);
  // The work folders keep only the backups of the main program.
  EXPECT_EQ(entriesOf(run.driveC() + "/TEMP/BrvOldUp"), std::vector<std::string>{"PictDesk.OLD"});
  EXPECT_EQ(entriesOf(run.driveC() + "/TEMP/BrvNewUp"), std::vector<std::string>{"PictDesk.OLD"});
  if (HasFailure()) return;

  // The same machine started once more: it is in the two-folder layout now with a current
  // program in OLD_BIN, so pass 1 is skipped and pass 2 offers the cancel button.
  cancelASecondRun(run, ticks);
}

TEST_F(UpdateEndToEndTest, FileMissingOnTheServerStopsThePassAndLeavesTheInstallation) {
  UpdateRun run("failed-file", s_wine.get());
  run.mirror().setFault("MERGEHELP.IN_", {mirror::FaultKind::kStatus, 404, 0, 0});
  run.startProgram();
  const unsigned long window = passNotice(run);
  ASSERT_NE(window, 0u);
  waitForPaint(run, window);
  ASSERT_TRUE(passTheOneErrorBox(run, window));
  expectStoppedAtTheMergeFile(run, window);
}

TEST_F(UpdateEndToEndTest, ConnectionDroppedInAFileStopsThePassAndLeavesTheInstallation) {
  UpdateRun run("dropped", s_wine.get());
  run.mirror().setFault("MERGEHELP.IN_", {mirror::FaultKind::kReset, 0, mirror::kHalfBody, 0});
  run.startProgram();
  const unsigned long window = passNotice(run);
  ASSERT_NE(window, 0u);
  waitForPaint(run, window);
  ASSERT_TRUE(passTheOneErrorBox(run, window));
  expectStoppedAtTheMergeFile(run, window);
}

#ifdef E2E_WINDOWS
// The program built with the sample key (brevan-update-sample.exe) on the signed sample release.
class SignedEndToEndTest : public UpdateEndToEndTest {
 protected:
  void SetUp() override {
    const char* program = std::getenv("BREVAN_WINDOWS_SIGNED_PROGRAM");
    if (program == nullptr) GTEST_SKIP() << "no program built with the sample key";
    m_program = program;
    UpdateEndToEndTest::SetUp();
  }
  // The requests of a pass: its signed list first.
  static std::vector<std::string> signedRequests(int pass, std::vector<std::string> files) {
    const std::string list = std::string("http://update.valtern.jp/brevan/") +
                             (pass == 1 ? "v128" : "20251299") + "/RELEASE.LST";
    files.insert(files.begin(), list);
    return files;
  }
  std::string m_program;
};

TEST_F(SignedEndToEndTest, SignedReleaseIsInstalled) {
  UpdateRun run("signed", s_wine.get(), E2E_SIGNED_RELEASE_DIR);
  run.startProgram(m_program);
  const unsigned long window = passNotice(run);
  ASSERT_NE(window, 0u);
  waitForPaint(run, window);
  run.clickClient(window, kStartX, kStartY);

  const unsigned long done = run.waitForTitle("情報", 300s);
  ASSERT_NE(done, 0u) << "no completion box" << run.shownWindows();
  EXPECT_EQ(run.display().windows("エラー").size(), 0u);
  run.display().key(done, "Return");
  ASSERT_TRUE(run.program().waitFor(30s).has_value());
  const sample::Ticks ticks = sample::allTicked();
  EXPECT_EQ(run.requests(), concat(signedRequests(1, expectedRequests(1, ticks)),
                                   signedRequests(2, expectedRequests(2, ticks))));
  expectTree(sample::expectedDriveC(ticks, "127.0.0.1", run.port()), run);
}

TEST_F(SignedEndToEndTest, FileChangedAfterSigningStopsItsPassUninstalled) {
  // The signed release with one pass-2 file changed on the server, its size kept.
  std::string release = (fs::temp_directory_path() / "brevan-e2e-changed-XXXXXX").string();
  ASSERT_NE(::mkdtemp(release.data()), nullptr);
  ASSERT_EQ(std::system(("cp -al " E2E_SIGNED_RELEASE_DIR "/. " + release).c_str()), 0);
  const std::string changed = release + "/brevan/20251299/MERGEHELP.IN_";
  std::string bytes = readFile(changed);
  ASSERT_FALSE(bytes.empty());
  bytes[bytes.size() / 2] ^= 1;
  fs::remove(changed);
  std::ofstream(changed, std::ios::binary) << bytes;

  UpdateRun run("signed-changed", s_wine.get(), release);
  run.startProgram(m_program);
  const unsigned long window = passNotice(run);
  ASSERT_NE(window, 0u);
  waitForPaint(run, window);
  run.clickClient(window, kStartX, kStartY);

  const unsigned long error = run.waitForTitle("エラー", 300s);
  ASSERT_NE(error, 0u) << "no error box" << run.shownWindows();
  run.shot("2-refused.png", window);
  run.display().key(error, "Return");
  ASSERT_TRUE(run.waitUntilGone(error, 10s)) << run.shownWindows();
  EXPECT_EQ(run.display().windows("情報").size(), 0u);
  // Idle again, the user closes the window with its close box.
  waitForPaint(run, window);
  run.display().requestClose(window);
  ASSERT_TRUE(run.program().waitFor(30s).has_value()) << run.shownWindows();

  // Pass 1 installed; pass 2 fetched up to the changed file, which was refused: not expanded.
  const sample::Ticks ticks = sample::allTicked();
  std::vector<std::string> pass2 = expectedRequests(2, ticks);
  pass2.resize(38);
  EXPECT_EQ(run.requests(),
            concat(signedRequests(1, expectedRequests(1, ticks)), signedRequests(2, pass2)));
  sample::Tree expected = sample::expectedDriveCAfterPass2Failure(ticks, "127.0.0.1", run.port());
  const std::vector<std::string> names = sample::workList(2, ticks);
  // The refused 38th file is never kept: only the 37 before it are in the work folder.
  for (size_t i = 0; i < 37; ++i) {
    expected.put("TEMP/BrvNewUp/" + names[i], readFile(release + "/brevan/20251299/" + names[i]));
  }
  expectTree(expected, run);
  fs::remove_all(release);
}
#endif

}  // namespace
}  // namespace e2e
