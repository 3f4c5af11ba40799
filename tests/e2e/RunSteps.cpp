// The steps with the waits a real display needs.
#include "tests/e2e/RunSteps.h"

#include <gtest/gtest.h>

#include <thread>

namespace e2e {

using namespace std::chrono_literals;

unsigned long passNotice(UpdateRun& run) {
  const unsigned long notice = run.waitForTitle(kCaption, 60s);
  EXPECT_NE(notice, 0u) << "no start-up notice" << run.shownWindows();
  if (notice == 0) return 0;
  EXPECT_FALSE(run.isUpdateWindow(notice)) << "the window came first";
  run.shot("1-notice.png", notice);
  run.display().key(notice, "Return");
  EXPECT_TRUE(run.waitUntilGone(notice, 10s)) << run.shownWindows();
  const unsigned long window = run.waitForWindow(30s);
  EXPECT_NE(window, 0u) << "the window did not show" << run.shownWindows();
  return window;
}

void waitForPaint(UpdateRun& run, unsigned long window) {
  const Rect client{0, 0, kClientWidth, kClientHeight};
  auto previous = run.clientPixels(window, client);
  for (int i = 0; i < 100; ++i) {
    std::this_thread::sleep_for(100ms);
    auto now = run.clientPixels(window, client);
    if (now == previous) return;
    previous = std::move(now);
  }
}

void expectTree(const sample::Tree& expected, const UpdateRun& run) {
  const auto differences = sample::compareTrees(expected, run.installedTree());
  std::string listed;
  for (size_t i = 0; i < differences.size() && i < 40; ++i) listed += differences[i] + "\n";
  EXPECT_TRUE(differences.empty()) << differences.size() << " differences:\n" << listed;
}

}  // namespace e2e
