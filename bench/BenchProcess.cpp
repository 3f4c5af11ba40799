// Helpers of the comparison benchmark: processes with their peak memory, timing, files.
#include "bench/BenchProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

extern char** environ;

namespace bench {

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double processorSeconds() {
  timespec now{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

long peakKb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmHWM:") {
      long kb = 0;
      status >> kb;
      return kb;
    }
  }
  return 0;
}

Spawned spawn(const std::vector<std::string>& args, const std::string& in, const std::string& out) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!in.empty()) posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.empty() ? "/dev/null" : out.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  Spawned result;
  const auto start = Clock::now();
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
    rusage usage{};
    if (::wait4(pid, &result.status, 0, &usage) == pid) result.maxRssKb = usage.ru_maxrss;
  }
  result.seconds = secondsSince(start);
  posix_spawn_file_actions_destroy(&actions);
  return result;
}

Measured child(const std::filesystem::path& scratch, std::vector<std::string> args) {
  const std::string out = (scratch / "child-result.txt").string();
  args.insert(args.begin(), {"/proc/self/exe", "--child"});
  const Spawned s = spawn(args, {}, out);
  Measured m;
  std::ifstream in(out);
  if (s.status != 0 || !(in >> m.seconds >> m.peakKb)) {
    std::fprintf(stderr, "child run failed: %s\n", args[2].c_str());
    std::exit(1);
  }
  in >> m.wallSeconds;
  return m;
}

void printHeader() {
  std::printf("%-46s %10s %10s %8s %7s  %s\n", "comparison", "ours", "yardstick", "ratio", "target",
              "peak memory ours / yardstick");
}

void printLine(const std::string& what, const Result& r, const std::string& yardstickName,
               double target) {
  const double ratio = r.ours.seconds / r.yardstick.seconds;
  std::printf("%-46s %8.3f s %8.3f s %8.3f %7s  %.1f MB / %.1f MB (%s)%s\n", what.c_str(),
              r.ours.seconds, r.yardstick.seconds, ratio,
              target > 0 ? ("<=" + std::to_string(target).substr(0, 3)).c_str() : "-",
              static_cast<double>(r.ours.peakKb) / 1024.0,
              static_cast<double>(r.yardstick.peakKb) / 1024.0, yardstickName.c_str(),
              target > 0 && ratio > target ? "  MISSED" : "");
  std::fflush(stdout);
}

}  // namespace bench
