// The real program behind a real office proxy: Squid with its cache on in front of nginx as the
// publisher's server, the program driven on a private X display as a user drives it.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/e2e/RunSteps.h"
#include "tests/e2e/UpdateRun.h"
#include "tests/realservers/RealServers.h"
#include "tools/sample-release/Cp932.h"
#include "tools/sample-release/ReleaseContent.h"
#include "tools/sample-release/SampleMachine.h"

namespace realservers {
namespace {

using namespace std::chrono_literals;
using e2e::UpdateRun;

constexpr const char* kSignInTitle = "プロキシ認証";

class RealServersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string missing = e2e::XDisplay::missingTools() + RealServers::missingTools();
    if (!missing.empty()) GTEST_SKIP() << "cannot run the real servers: " << missing << " missing";
#ifdef E2E_WINDOWS
    if (!s_wine) s_wine = std::make_unique<e2e::WineMachine>();
#endif
  }
  static void TearDownTestSuite() { s_wine.reset(); }

  // The Windows program runs in one Wine prefix for all runs: making one takes longer than a run.
  static inline std::unique_ptr<e2e::WineMachine> s_wine;

  static sample::Tree expectedTree(const RealServers& servers) {
    return sample::expectedDriveC(sample::allTicked(), "127.0.0.1", servers.proxyPort());
  }

  static size_t requestCount() {
    return e2e::expectedRequests(1, sample::allTicked()).size() +
           e2e::expectedRequests(2, sample::allTicked()).size();
  }

  // Starts the program on a fresh sample machine and presses the start button; the window.
  static unsigned long start(UpdateRun& run) {
    run.startProgram();
    const unsigned long window = e2e::passNotice(run);
    if (window == 0) return 0;
    e2e::waitForPaint(run, window);
    run.clickClient(window, e2e::kStartX, e2e::kStartY);
    return window;
  }

  // The completion box closed with OK, and the program ended by it.
  static void finish(UpdateRun& run, const RealServers& servers) {
    const unsigned long done = run.waitForTitle("情報", 240s);
    ASSERT_NE(done, 0u) << "no completion box" << run.shownWindows() << servers.logs();
    EXPECT_EQ(run.display().windows("エラー").size(), 0u);
    run.display().key(done, "Return");
    const auto status = run.program().waitFor(30s);
    ASSERT_TRUE(status.has_value()) << "the program did not end after the completion box";
    EXPECT_EQ(*status, 0);
  }

  // The one error box of a failed pass, closed with OK.
  static void closeError(UpdateRun& run, const std::string& shot) {
    const unsigned long error = run.waitForTitle("エラー", 120s);
    ASSERT_NE(error, 0u) << "no error box" << run.shownWindows();
    run.shot(shot, error);
    run.display().key(error, "Return");
    ASSERT_TRUE(run.waitUntilGone(error, 10s)) << run.shownWindows();
    EXPECT_EQ(run.waitForTitle("エラー", 1s), 0u) << "a second error box" << run.shownWindows();
  }

  // The user closes the idle window; the program ends.
  static void closeWindow(UpdateRun& run, unsigned long window) {
    e2e::waitForPaint(run, window);
    run.display().requestClose(window);
    const auto status = run.program().waitFor(30s);
    ASSERT_TRUE(status.has_value()) << "the window did not close" << run.shownWindows();
    EXPECT_EQ(*status, 0);
  }

  // Answers the two sign-in boxes, the name's and the password's.
  static void signIn(UpdateRun& run, const std::string& user, const std::string& password,
                     const std::string& shots) {
    int n = 0;
    for (const std::string& text : {user, password}) {
      const unsigned long box = run.waitForTitle(kSignInTitle, 60s);
      ASSERT_NE(box, 0u) << "no sign-in box" << run.shownWindows();
      run.display().type(box, text);
      run.shot(shots + "-" + std::to_string(++n) + ".png", box);
      run.display().key(box, "Return");
      ASSERT_TRUE(run.waitUntilGone(box, 10s)) << run.shownWindows();
    }
  }

  static std::vector<std::string> since(const std::vector<std::string>& log, size_t first) {
    return {log.begin() + static_cast<std::ptrdiff_t>(std::min(first, log.size())), log.end()};
  }

  static size_t countHaving(const std::vector<std::string>& lines, const std::string& part) {
    return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const auto& l) {
      return l.find(part) != std::string::npos;
    }));
  }
};

TEST_F(RealServersTest, FirstUpdateFillsTheProxysCacheAndTheNextGetsTheReplacedFile) {
  RealServers servers(E2E_RELEASE_DIR);
  {
    UpdateRun run("first-update", s_wine.get(), servers.proxyPort());
    ASSERT_NE(start(run), 0u);
    finish(run, servers);
    e2e::expectTree(expectedTree(servers), run);
  }
  // Every file went through the proxy, which fetched it from the publisher.
  const auto first = servers.proxyLog();
  EXPECT_EQ(first.size(), requestCount()) << servers.logs();
  EXPECT_EQ(countHaving(first, "/200 "), requestCount());

  // The publisher replaces a template; the proxy still holds the old file, fresh by its age.
  const std::string name = "LIST.4K_";
  const std::string text = "; 書類一覧 (差し替え)\r\n1,工事管理ファイル,INDEX_C.XML\r\n";
  servers.publish(2, name, compressed(sample::toCp932(text)));
  sample::Tree expected = expectedTree(servers);
  const std::string installed =
      *expected.storedPath("Program Files/Valtern/Brevan/New_BIN/Template/" +
                           sample::templateFolder(name) + "/LIST.TXT");
  expected.put(installed, sample::toCp932(text));
  {
    UpdateRun run("next-update", s_wine.get(), servers.proxyPort());
    ASSERT_NE(start(run), 0u);
    finish(run, servers);
    e2e::expectTree(expected, run);
  }
  // Nothing came from the cache unchecked: every file was revalidated with the publisher.
  const auto next = since(servers.proxyLog(), first.size());
  EXPECT_EQ(next.size(), requestCount());
  EXPECT_EQ(countHaving(next, "_HIT/"), 0u);
}

// An office proxy that wants a sign-in and parses requests strictly.
TEST_F(RealServersTest, SignInCancelledThenAskedAgainAfterAWrongPairAndStrictParserPassed) {
  ProxyOptions office;
  office.basicSignIn = true;
  office.strictParser = true;
  RealServers servers(E2E_RELEASE_DIR, office);
  UpdateRun run("sign-in", s_wine.get(), servers.proxyPort());
  const unsigned long window = start(run);
  ASSERT_NE(window, 0u);
  // "キャンセル" at the first box: today's error box, nothing fetched.
  const unsigned long box = run.waitForTitle(kSignInTitle, 60s);
  ASSERT_NE(box, 0u) << "no sign-in box" << run.shownWindows();
  run.display().key(box, "Escape");
  closeError(run, "cancelled.png");
  EXPECT_EQ(countHaving(servers.proxyLog(), "/200 "), 0u);

  // Started again: a wrong pair is refused and asked again, the right one signs in for the run.
  e2e::waitForPaint(run, window);
  run.clickClient(window, e2e::kStartX, e2e::kStartY);
  signIn(run, kUser, "wrong", "wrong-pair");
  signIn(run, kUser, kPassword, "right-pair");
  finish(run, servers);
  e2e::expectTree(expectedTree(servers), run);
  // The raw name of ヘルプ.lzh refused once by the parser, then every file fetched.
  const auto log = servers.proxyLog();
  EXPECT_EQ(countHaving(log, "/400 "), 1u) << ::testing::PrintToString(log);
  EXPECT_EQ(countHaving(log, "/200 "), requestCount());
}

TEST_F(RealServersTest, ProxysRefusalsAndFailuresEndThePassWithTheirStatus) {
  // The publisher's server closes the connection for the first file without an answer.
  ProxyOptions refusing;
  refusing.refused = "PictDesk.ex_";
  refusing.dropped = "PictDesk.ex_";
  RealServers servers(E2E_RELEASE_DIR, refusing);
  UpdateRun run("proxy-errors", s_wine.get(), servers.proxyPort());
  const unsigned long window = start(run);
  ASSERT_NE(window, 0u);
  struct Row {
    const char* what;
    const char* status;
  } rows[] = {
      {"refused by the proxy itself", "TCP_DENIED/403 "},
      {"no answer from the publisher", "/502 "},
      {"publisher down", "/503 "},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(rows[i].what);
    if (i == 1) servers.restartProxy({});
    if (i == 2) servers.stopOrigin();
    if (i > 0) {
      e2e::waitForPaint(run, window);
      run.clickClient(window, e2e::kStartX, e2e::kStartY);
    }
    closeError(run, "error-" + std::to_string(i + 1) + ".png");
    // The first file failed with the proxy's answer; no later file was asked for.
    const auto log = servers.proxyLog();
    ASSERT_EQ(log.size(), i + 1) << ::testing::PrintToString(log);
    EXPECT_NE(log[i].find(rows[i].status), std::string::npos) << log[i];
    EXPECT_NE(log[i].find("/brevan/v128/PictDesk.ex_"), std::string::npos) << log[i];
  }
  closeWindow(run, window);
}

}  // namespace
}  // namespace realservers
