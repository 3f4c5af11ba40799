// Helpers of the comparison benchmark: processes with their peak memory, timing, files.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start);

// This process's own processor time in seconds: on a shared machine the wall clock mostly
// measures the neighbours.
double processorSeconds();

// This process's peak resident memory in KB (VmHWM: it starts afresh at exec).
long peakKb();

struct Spawned {
  int status = -1;
  double seconds = 0;
  long maxRssKb = 0;  // the child's peak, from wait4
};
// Runs a program with optional stdin/stdout files and waits for it.
Spawned spawn(const std::vector<std::string>& args, const std::string& in = {},
              const std::string& out = {});

// One measured run: its time and peak memory.
struct Measured {
  double seconds = 0;
  long peakKb = 0;
  double wallSeconds = 0;  // when the child prints it third
};

// Runs this program in a child mode that prints "<seconds> <peak KB>"; exits on failure.
Measured child(const std::filesystem::path& scratch, std::vector<std::string> args);

// Runs ours and the yardstick in turn `rounds` times and keeps the fastest of each (the machine
// is shared: the best run is the one least disturbed). Prints one line: what, ours, yardstick,
// ratio, peak memory of both; the target, when given, as "<= target".
struct Result {
  Measured ours;
  Measured yardstick;
};
template <typename Ours, typename Yardstick>
Result interleave(int rounds, Ours ours, Yardstick yardstick) {
  Result best{{1e30, 0}, {1e30, 0}};
  for (int i = 0; i < rounds; ++i) {
    const Measured a = ours();
    const Measured b = yardstick();
    if (a.seconds < best.ours.seconds) best.ours = a;
    if (b.seconds < best.yardstick.seconds) best.yardstick = b;
  }
  return best;
}
void printLine(const std::string& what, const Result& r, const std::string& yardstickName,
               double target);
void printHeader();

}  // namespace bench
