// Every heavy step of an update against the standard tool for the same work, each run in a
// process of its own, ours and the yardstick in turn, the fastest of several rounds kept:
// LHA extraction against lhasa, the help merge against xxd -r -p, SZDD expansion against
// libmspack expanding file to file (and, beside it, decoding in memory), the first update's small
// files against one curl process, and the longest wait between two message-pump calls.
//
//   bench_compare [divisor [lha|merge|szdd|fetch|signed]]   sizes divided by divisor (1 = the
//                                   full sizes; 10 for a quick look); one part only
//   bench_compare signed            only the cost of the signed-release checks
#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <mspack.h>

#include "bench/BenchProcess.h"
#include "bench/BenchWorkloads.h"
#include "install/HelpMerge.h"
#include "platform/posix/FileSystem_posix.h"
#include "platform/posix/LzExpand_posix.h"
#include "platform/posix/MachineFolder.h"
#include "platform/posix/SzddDecoder_mspack.h"
#include "platform/posix/TextCodec_posix.h"

namespace {

namespace fs = std::filesystem;
using bench::Clock;

class NoMessages : public platform::MessagePump {
 public:
  void processMessages() override {}
  void waitMessages(unsigned) override {}
};

void report(double seconds) { std::printf("%.4f %ld\n", seconds, bench::peakKb()); }

int childUnlha(const std::string& archive, const std::string& dest) {
  void* library = ::dlopen(UNLHA32_LIBRARY, RTLD_NOW);
  if (library == nullptr) return 1;
  auto unlha =
      reinterpret_cast<int (*)(void*, const char*, char*, unsigned)>(::dlsym(library, "Unlha"));
  const std::string line = "e -jyc -jyo \"" + archive + "\" -d1 -c1 \"" + dest + "/\"";
  char output[255];
  const auto start = Clock::now();
  if (unlha(nullptr, line.c_str(), output, 254) != 0) {
    std::fprintf(stderr, "%s\n", output);
    return 1;
  }
  report(bench::secondsSince(start));
  return 0;
}

int childMerge(const std::string& prefix, const std::string& name) {
  platform::posix::MachineFolder machine(prefix);
  platform::LastError lastError;
  platform::posix::PosixFileSystem files(machine, lastError);
  platform::posix::IconvTextCodec codec;
  NoMessages pump;
  const auto start = Clock::now();
  try {
    install::MergeHelpFile(files, codec, pump, "C:\\W\\" + name, "C:\\W\\help");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "merge failed: %s\n", e.what());
    return 1;
  }
  report(bench::secondsSince(start));
  return 0;
}

// Our whole path: open, expand, size check, rename, for C:\W\<name>.EX_ each.
int childExpand(const std::string& prefix, int count, char** names) {
  platform::posix::MachineFolder machine(prefix);
  platform::LastError lastError;
  platform::posix::MspackLzExpand lz(machine, lastError);
  const auto start = Clock::now();
  for (int i = 0; i < count; ++i) {
    const std::string name = names[i];
    if (!lz.expand("C:\\W\\" + name + ".EX_", "C:\\W\\" + name + ".OUR")) return 1;
  }
  report(bench::secondsSince(start));
  return 0;
}

// The yardstick: libmspack decoding the same files already in memory, into memory.
int childDecodeInMemory(const std::string& folder, int count, char** names) {
  std::vector<std::string> inputs;
  for (int i = 0; i < count; ++i) {
    std::ifstream in(folder + "/" + names[i] + ".EX_", std::ios::binary);
    inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string output;
  const auto start = Clock::now();
  for (const std::string& input : inputs) {
    const auto* h = reinterpret_cast<const unsigned char*>(input.data());
    const uint32_t length = static_cast<uint32_t>(h[10] | h[11] << 8 | h[12] << 16 | h[13] << 24);
    output.clear();
    if (!platform::posix::decodeSzdd(input, output, length)) return 1;
  }
  report(bench::secondsSince(start));
  return 0;
}

// The fair yardstick: libmspack expanding the same files file to file through its own default
// I/O (stdio), as a program that used it as it comes would.
int childDecodeFiles(const std::string& folder, int count, char** names) {
  msszdd_decompressor* decoder = mspack_create_szdd_decompressor(nullptr);
  if (decoder == nullptr) return 1;
  const auto start = Clock::now();
  for (int i = 0; i < count; ++i) {
    const std::string source = folder + "/" + names[i] + ".EX_";
    const std::string target = folder + "/" + names[i] + ".LIB";
    msszddd_header* header = decoder->open(decoder, source.c_str());
    if (header == nullptr) return 1;
    const int result = decoder->extract(decoder, header, target.c_str());
    decoder->close(decoder, header);
    if (result != MSPACK_ERR_OK) return 1;
  }
  report(bench::secondsSince(start));
  mspack_destroy_szdd_decompressor(decoder);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::string(argv[1]) == "--child") {
    const std::string mode = argv[2];
    if (mode == "unlha" && argc == 5) return childUnlha(argv[3], argv[4]);
    if (mode == "merge" && argc == 5) return childMerge(argv[3], argv[4]);
    if (mode == "expand" && argc >= 4) return childExpand(argv[3], argc - 4, argv + 4);
    if (mode == "memdecode" && argc >= 4) return childDecodeInMemory(argv[3], argc - 4, argv + 4);
    if (mode == "filedecode" && argc >= 4) return childDecodeFiles(argv[3], argc - 4, argv + 4);
    if (mode == "fetch" && argc == 6) return bench::childFetch(argv[3], argv[4], argv[5]);
    if (mode == "signed-update" && argc == 5) return bench::childSignedUpdate(argv[3], argv[4]);
    if (mode == "signed-fetch" && argc == 7) {
      return bench::childSignedFetch(argv[3], argv[4], argv[5], argv[6]);
    }
    return 2;
  }
  const bool signedOnly = argc > 1 && std::string(argv[1]) == "signed";
  const int divisor = argc > 1 && !signedOnly ? std::max(1, std::atoi(argv[1])) : 1;
  // One comparison only ("lha", "merge", "szdd", "fetch" or "signed"), or all of them.
  const std::string only = signedOnly ? "signed" : argc > 2 ? argv[2] : "";
  const auto wanted = [&](const char* part) { return only.empty() || only == part; };
  char pattern[] = "/tmp/brevan-bench-compare-XXXXXX";
  if (!::mkdtemp(pattern)) return 1;
  const fs::path scratch = pattern;
  if (signedOnly) {
    bench::printHeader();
    bench::compareSignedFetches(scratch);
    fs::remove_all(scratch);
    return 0;
  }
  const fs::path work = scratch / "drive_c" / "W";
  fs::create_directories(work);
  std::printf("(fastest of several rounds; ours and the yardstick run in turn)\n");
  bench::printHeader();

  // LHA extraction: 20 MB in 200 files, and one 200 MB file, against the lhasa tool.
  for (const auto& [what, files, size] :
       {std::tuple{"LHA extract, 20 MB in 200 files", 200, size_t{100} << 10},
        std::tuple{"LHA extract, one 200 MB file", 1, size_t{200} << 20}}) {
    if (!wanted("lha")) break;
    const fs::path archive = bench::makeLhaArchive(scratch, files, size / divisor);
    const fs::path ours = scratch / "out-ours";
    const fs::path theirs = scratch / "out-lhasa";
    const auto r = bench::interleave(
        3,
        [&] {
          fs::remove_all(ours);
          return bench::child(scratch, {"unlha", archive.string(), ours.string()});
        },
        [&] {
          fs::remove_all(theirs);
          fs::create_directories(theirs);
          const auto s = bench::spawn({"lhasa", "xfq2w=" + theirs.string(), archive.string()});
          if (s.status != 0) std::exit(1);
          return bench::Measured{s.seconds, s.maxRssKb};
        });
    bench::printLine(what, r, "lhasa", 1.1);
    fs::remove_all(ours);
    fs::remove_all(theirs);
    fs::remove(archive);
  }

  // The help merge of a 500 MB merge file against xxd -r -p on as much hexadecimal text.
  if (wanted("merge")) {
    const size_t size = (size_t{500} << 20) / divisor;
    bench::writeMergeFile(work / "MERGE.INI", work / "PLAIN.HEX", size);
    std::ofstream(work / "EMPTY.INI").close();
    const auto idle = bench::child(scratch, {"merge", scratch.string(), "EMPTY.INI"});
    const auto r = bench::interleave(
        2,
        [&] {
          return bench::child(scratch, {"merge", scratch.string(), "MERGE.INI"});
        },
        [&] {
          const auto s = bench::spawn({"xxd", "-r", "-p"}, (work / "PLAIN.HEX").string(),
                                      (work / "PLAIN.BIN").string());
          if (s.status != 0) std::exit(1);
          return bench::Measured{s.seconds, s.maxRssKb};
        });
    bench::printLine("help merge, " + std::to_string(size >> 20) + " MB", r, "xxd -r -p", 1.0);
    std::printf("%-46s %.1f MB (target < 16 MB)\n", "  peak memory growth of the merge",
                static_cast<double>(r.ours.peakKb - idle.peakKb) / 1024.0);
    fs::remove_all(work / "help");
    fs::remove(work / "MERGE.INI");
    fs::remove(work / "PLAIN.HEX");
    fs::remove(work / "PLAIN.BIN");
  }

  // SZDD: 40 files, 100 MB, our whole path against libmspack file to file through its own
  // I/O (the target), and beside it libmspack in memory, which writes no file at all.
  if (wanted("szdd")) {
    const std::vector<std::string> names =
        bench::makeSzddSet(work, 40, (size_t{100} << 20) / divisor);
    std::vector<std::string> ours = {"expand", scratch.string()};
    std::vector<std::string> files = {"filedecode", work.string()};
    std::vector<std::string> memory = {"memdecode", work.string()};
    for (auto* args : {&ours, &files, &memory})
      args->insert(args->end(), names.begin(), names.end());
    bench::Result best{{1e30, 0}, {1e30, 0}};
    bench::Measured bestMemory{1e30, 0};
    for (int round = 0; round < 3; ++round) {
      const auto r = bench::interleave(
          1, [&] { return bench::child(scratch, ours); },
          [&] { return bench::child(scratch, files); });
      const auto m = bench::child(scratch, memory);
      if (r.ours.seconds < best.ours.seconds) best.ours = r.ours;
      if (r.yardstick.seconds < best.yardstick.seconds) best.yardstick = r.yardstick;
      if (m.seconds < bestMemory.seconds) bestMemory = m;
    }
    bench::printLine("SZDD expand, 40 files, 100 MB", best, "libmspack file to file", 1.1);
    bench::printLine("SZDD expand, 40 files, 100 MB", {best.ours, bestMemory},
                     "libmspack in memory", 0);
    for (const auto& entry : fs::directory_iterator(work)) fs::remove(entry.path());
  }

  // The first update's files through the mirror as proxy, and the window's longest wait.
  if (wanted("fetch")) bench::compareFetches(scratch, divisor);
  if (wanted("signed")) bench::compareSignedFetches(scratch);

  std::error_code error;
  fs::remove_all(scratch, error);
  return 0;
}
