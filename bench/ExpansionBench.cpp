// The expansion run's heavy work against the standard tool: a set of SZDD files totalling
// 100 MB expanded by our LZ backend and by msexpand, and the help merge of 5 MB and 50 MB
// files. Each measured run is a process of its own, so its peak memory (maxrss) is its own.
//
//   bench_expansion [total MB of the SZDD set, default 100]
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "install/HelpMerge.h"
#include "platform/posix/FileSystem_posix.h"
#include "platform/posix/LzExpand_posix.h"
#include "platform/posix/MachineFolder.h"
#include "platform/posix/TextCodec_posix.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFiles = 40;
constexpr int kOneFileMb = 20;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// This process's peak resident memory (VmHWM). Unlike getrusage's maxrss it starts afresh at
// exec, so it holds nothing of the process that started this one.
long maxRssKb() {
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

// Bytes that compress like a program: lines of a listing between stretches of random bytes.
void writeProgramLike(const fs::path& path, size_t size, unsigned seed) {
  std::mt19937 gen(seed);
  std::string data;
  data.reserve(size + 256);
  while (data.size() < size) {
    if (gen() % 16 == 0) {
      for (int k = 0; k < 256; ++k) data += static_cast<char>(gen() & 0xFF);
    } else {
      data += "MOV EAX, [EBP+" + std::to_string(gen() % 64) + "]; table entry " +
              std::to_string(gen() % 1000) + "\r\n";
    }
  }
  data.resize(size);
  std::ofstream(path, std::ios::binary) << data;
}

// A merge file of about `size` bytes, written block by block: pages of CP932 text and
// pictures in hexadecimal.
void writeMergeFile(const fs::path& path, size_t size) {
  const std::string start = "\x81\xA1#HELP_FILE_START#\x81\xA1\r\n";
  const std::string end = "\x81\xA1#HELP_FILE_END#\x81\xA1\r\n";
  std::ofstream out(path, std::ios::binary);
  size_t written = 0;
  for (int n = 0; written < size; ++n) {
    std::string block = start;
    if (n % 4 == 3) {
      block += "images\\picture" + std::to_string(n % 50) + ".gif\r\n1431699456\r\n";
      for (int k = 0; k < 24000; ++k) block += "4A";
      block += "\r\n";
    } else {
      block += "page" + std::to_string(n % 200) + ".htm\r\n1431699456\r\n";
      for (int line = 0; line < 600; ++line) {
        block += "<p>\x83\x77\x83\x8B\x83\x76 page " + std::to_string(n) + " line " +
                 std::to_string(line) + "</p>\r\n";
      }
    }
    block += end;
    out << block;
    written += block.size();
  }
}

// Runs a program with optional stdin/stdout files; its exit status and peak memory.
struct Spawned {
  int status = -1;
  long maxRssKb = 0;
};
Spawned run(const std::vector<std::string>& args, const std::string& in = {},
            const std::string& out = {}) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!in.empty()) posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  if (!out.empty()) {
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  Spawned result;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
    rusage usage{};
    if (::wait4(pid, &result.status, 0, &usage) == pid) result.maxRssKb = usage.ru_maxrss;
  }
  posix_spawn_file_actions_destroy(&actions);
  return result;
}

bool sameFiles(const fs::path& a, const fs::path& b) {
  std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
  std::vector<char> bx(1 << 20), by(1 << 20);
  while (x && y) {
    x.read(bx.data(), static_cast<std::streamsize>(bx.size()));
    y.read(by.data(), static_cast<std::streamsize>(by.size()));
    if (x.gcount() != y.gcount() || !std::equal(bx.begin(), bx.begin() + x.gcount(), by.begin()))
      return false;
  }
  return !x && !y;
}

// ---- the measured runs, each in a process of its own; one line of results on stdout

int childGenerate(const std::string& path, const std::string& size, const std::string& seed) {
  writeProgramLike(path, std::stoull(size), static_cast<unsigned>(std::stoul(seed)));
  return 0;
}

int childIdle() {
  std::printf("0 %ld\n", maxRssKb());
  return 0;
}

// Expands C:\W\<name>.EX_ to C:\W\<name>.OUR for every name given.
int childExpand(const std::string& prefix, int argc, char** argv) {
  platform::posix::MachineFolder machine(prefix);
  platform::LastError lastError;
  platform::posix::MspackLzExpand lz(machine, lastError);
  const auto start = Clock::now();
  for (int i = 0; i < argc; ++i) {
    const std::string name = argv[i];
    if (!lz.expand("C:\\W\\" + name + ".EX_", "C:\\W\\" + name + ".OUR")) return 1;
  }
  std::printf("%.3f %ld\n", secondsSince(start), maxRssKb());
  return 0;
}

class NoMessages : public platform::MessagePump {
 public:
  void processMessages() override {}
  void waitMessages(unsigned) override {}
};

int childMerge(const std::string& prefix, const std::string& name) {
  platform::posix::MachineFolder machine(prefix);
  platform::LastError lastError;
  platform::posix::PosixFileSystem files(machine, lastError);
  platform::posix::IconvTextCodec codec;
  NoMessages pump;
  const auto start = Clock::now();
  try {
    install::MergeHelpFile(files, codec, pump, "C:\\W\\" + name, "C:\\W\\help-" + name);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "merge failed: %s\n", e.what());
    return 1;
  }
  std::printf("%.3f %ld\n", secondsSince(start), maxRssKb());
  return 0;
}

struct Measured {
  double seconds = 0;
  long maxRssKb = 0;
};

// Runs this program in a child mode and reads its line of results.
Measured measure(const fs::path& prefix, std::vector<std::string> args) {
  const std::string out = (prefix / "result.txt").string();
  args.insert(args.begin(), {"/proc/self/exe", "--child"});
  const Spawned s = run(args, {}, out);
  Measured m;
  std::ifstream in(out);
  if (s.status != 0 || !(in >> m.seconds >> m.maxRssKb)) {
    std::fprintf(stderr, "child run failed: %s\n", args[2].c_str());
    std::exit(1);
  }
  return m;
}

// The data is made by a child, so this process stays small: a process started from it begins
// with this one's peak memory in its getrusage figure (which is all msexpand's runs report).
void generate(const fs::path& path, size_t size, unsigned seed) {
  if (run({"/proc/self/exe", "--child", "generate", path.string(), std::to_string(size),
           std::to_string(seed)})
          .status != 0) {
    std::exit(1);
  }
}

double mb(uintmax_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }
double mbOfKb(long kb) { return static_cast<double>(kb) / 1024.0; }

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::string(argv[1]) == "--child") {
    const std::string mode = argv[2];
    if (mode == "idle") return childIdle();
    if (mode == "generate" && argc == 6) return childGenerate(argv[3], argv[4], argv[5]);
    if (mode == "expand" && argc >= 4) return childExpand(argv[3], argc - 4, argv + 4);
    if (mode == "merge" && argc == 5) return childMerge(argv[3], argv[4]);
    return 2;
  }
  const int totalMb = argc > 1 ? std::atoi(argv[1]) : 100;
  if (totalMb <= 0) return 2;

  char pattern[] = "/tmp/brevan-bench-expansion-XXXXXX";
  if (!::mkdtemp(pattern)) return 1;
  const fs::path prefix = pattern;
  const fs::path work = prefix / "drive_c" / "W";
  fs::create_directories(work);

  // The SZDD set, and one larger file, made by mscompress.
  const size_t fileSize = static_cast<size_t>(totalMb) * 1024 * 1024 / kFiles;
  std::vector<std::string> names;
  std::vector<std::string> compress = {"mscompress"};
  for (int i = 0; i < kFiles; ++i) {
    names.push_back("F" + std::to_string(100 + i));
    generate(work / (names.back() + ".EXE"), fileSize, static_cast<unsigned>(i + 1));
    compress.push_back((work / (names.back() + ".EXE")).string());
  }
  generate(work / "ONE.EXE", size_t{kOneFileMb} * 1024 * 1024, 999);
  compress.push_back((work / "ONE.EXE").string());
  std::printf("making %d SZDD files of %.1f MB and one of %d MB with mscompress...\n", kFiles,
              mb(fileSize), kOneFileMb);
  std::fflush(stdout);
  if (run(compress, {}, "/dev/null").status != 0) return 1;
  uintmax_t compressed = 0;
  for (const auto& name : names) {
    fs::rename(work / (name + ".EXE_"), work / (name + ".EX_"));
    compressed += fs::file_size(work / (name + ".EX_"));
  }
  fs::rename(work / "ONE.EXE_", work / "ONE.EX_");

  const Measured idle = measure(prefix, {"idle"});
  std::vector<std::string> expandArgs = {"expand", prefix.string()};
  expandArgs.insert(expandArgs.end(), names.begin(), names.end());
  const Measured ours = measure(prefix, expandArgs);
  const Measured oursOne = measure(prefix, {"expand", prefix.string(), "ONE"});

  std::printf("running msexpand on the same %d files...\n", kFiles);
  std::fflush(stdout);
  const auto start = Clock::now();
  long toolRss = 0;
  for (const auto& name : names) {
    const Spawned s =
        run({"msexpand"}, (work / (name + ".EX_")).string(), (work / (name + ".MSX")).string());
    if (s.status != 0) return 1;
    toolRss = std::max(toolRss, s.maxRssKb);
  }
  const double toolSeconds = secondsSince(start);

  bool same = sameFiles(work / "ONE.EXE", work / "ONE.OUR");
  for (const auto& name : names) {
    same = same && sameFiles(work / (name + ".EXE"), work / (name + ".OUR")) &&
           sameFiles(work / (name + ".EXE"), work / (name + ".MSX"));
  }

  // The help merge of 5 MB and of 50 MB.
  writeMergeFile(work / "SMALL.INI", 5u << 20);
  writeMergeFile(work / "LARGE.INI", 50u << 20);
  const Measured small = measure(prefix, {"merge", prefix.string(), "SMALL.INI"});
  const Measured large = measure(prefix, {"merge", prefix.string(), "LARGE.INI"});

  const double expanded = static_cast<double>(totalMb);
  std::printf("\nSZDD set: %d files, %.1f MB expanded from %.1f MB\n", kFiles, expanded,
              mb(compressed));
  std::printf("  ours (MspackLzExpand)  %8.3f s  %7.1f MB/s  peak RSS %6.1f MB\n", ours.seconds,
              expanded / ours.seconds, mbOfKb(ours.maxRssKb));
  std::printf(
      "  msexpand               %8.3f s  %7.1f MB/s  peak RSS %6.1f MB (largest run, "
      "getrusage)\n",
      toolSeconds, expanded / toolSeconds, mbOfKb(toolRss));
  std::printf("  time ratio ours / msexpand: %.4f (target at most 1.0)\n",
              ours.seconds / toolSeconds);
  std::printf("  one %d MB file: %.3f s, peak RSS %.1f MB\n", kOneFileMb, oursOne.seconds,
              mbOfKb(oursOne.maxRssKb));
  std::printf("  idle process of this program: peak RSS %.1f MB\n", mbOfKb(idle.maxRssKb));
  std::printf("  output identical to the originals and to msexpand's: %s\n", same ? "yes" : "NO");
  std::printf("Help merge (MergeHelpFile)\n");
  std::printf("   5 MB  %8.3f s  %7.1f MB/s  peak RSS %6.1f MB\n", small.seconds,
              5.0 / small.seconds, mbOfKb(small.maxRssKb));
  std::printf("  50 MB  %8.3f s  %7.1f MB/s  peak RSS %6.1f MB\n", large.seconds,
              50.0 / large.seconds, mbOfKb(large.maxRssKb));
  std::printf("  peak memory growth from 5 MB to 50 MB: %.1f MB\n",
              mbOfKb(large.maxRssKb - small.maxRssKb));

  std::error_code error;
  fs::remove_all(prefix, error);
  return same ? 0 : 1;
}
