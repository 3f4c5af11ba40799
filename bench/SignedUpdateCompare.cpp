// The cost of the signed-release checks over a whole first update, as the user waits for it:
// the sample machine restructured, both passes fetched through the update mirror as proxy,
// expanded and installed, without a screen; the program given the public key beside the same
// program without it, on the same signed release. Wall time is what the user sees; processor
// time is the part the neighbours on a shared machine disturb least.
#include <stdlib.h>

#include <cstdio>
#include <sstream>

#include "bench/BenchProcess.h"
#include "bench/BenchWorkloads.h"
#include "platform/posix/HttpTransfer_curl.h"
#include "tests/headless/HeadlessUpdate.h"
#include "tools/sample-release/SampleMachine.h"

namespace bench {

namespace fs = std::filesystem;

namespace {

// Every standard ticked: what the list shows on a first update.
std::string allTicks() {
  std::string ticks;
  for (bool t : sample::allTicked()) ticks += t ? '1' : '0';
  return ticks;
}

// Each run starts from the old installation: the update leaves nothing to do for the next.
fs::path freshMachine(const fs::path& scratch, uint16_t port) {
  const fs::path prefix = scratch / "machine";
  fs::remove_all(prefix);
  fs::create_directories(prefix);
  sample::writeSampleMachine(prefix.string(), "127.0.0.1", port);
  return prefix;
}

}  // namespace

// With keyFile "-", the program without a key.
int childSignedUpdate(const std::string& prefix, const std::string& keyFile) {
  // The archive library finds the machine folder in the environment, as the program's does.
  ::setenv("BREVAN_PREFIX", prefix.c_str(), 1);
  platform::posix::initHttpEngine();
  std::ostringstream boxes;
  const auto wallStart = Clock::now();
  const double start = processorSeconds();
  const bool completed =
      headless::runUpdate(prefix, fs::path(UNLHA32_LIBRARY).parent_path().string(), allTicks(),
                          keyFile == "-" ? "" : keyFile, boxes);
  const double cpu = processorSeconds() - start;
  const double wall = secondsSince(wallStart);
  platform::posix::cleanupHttpEngine();
  if (!completed) {
    std::fprintf(stderr, "the update did not complete:\n%s", boxes.str().c_str());
    return 1;
  }
  std::printf("%.4f %ld %.4f\n", cpu, peakKb(), wall);
  return 0;
}

void compareSignedUpdates(const fs::path& scratch, const fs::path& key, uint16_t port) {
  const auto run = [&](const std::string& keyFile) {
    const fs::path prefix = freshMachine(scratch, port);
    return child(scratch, {"signed-update", prefix.string(), keyFile});
  };
  // The fastest of each clock on its own: the least disturbed run of each.
  Result cpu{{1e30, 0, 0}, {1e30, 0, 0}};
  Result wall = cpu;
  const auto keep = [](Measured& best, const Measured& m, double seconds) {
    if (seconds < best.seconds) best = {seconds, m.peakKb, 0};
  };
  for (int i = 0; i < 9; ++i) {
    const Measured ours = run(key.string());
    const Measured yardstick = run("-");
    keep(cpu.ours, ours, ours.seconds);
    keep(cpu.yardstick, yardstick, yardstick.seconds);
    keep(wall.ours, ours, ours.wallSeconds);
    keep(wall.yardstick, yardstick, yardstick.wallSeconds);
  }
  printLine("whole first update checked, wall time", wall, "the same unchecked", 1.05);
  printLine("whole first update checked, processor time", cpu, "the same unchecked", 1.05);
}

}  // namespace bench
