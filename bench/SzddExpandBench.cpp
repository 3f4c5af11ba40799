// SZDD expansion of 100 MB: our libmspack backend against Debian's msexpand.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "platform/posix/LzExpand_posix.h"
#include "platform/posix/MachineFolder.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kSize = 100 * 1024 * 1024;

// A machine folder holding C:\W\BIG.EX_, made once by mscompress from 100 MB of data that
// compresses like a program: runs of text and tables between stretches of random bytes.
struct Fixture {
  Fixture() {
    char pattern[] = "/tmp/brevan-bench-szdd-XXXXXX";
    if (!::mkdtemp(pattern)) std::abort();
    prefix = pattern;
    work = prefix / "drive_c" / "W";
    fs::create_directories(work);
    std::mt19937 gen(1);
    std::string data;
    data.reserve(kSize);
    while (data.size() < kSize) {
      if (gen() % 16 == 0) {
        for (int k = 0; k < 256; ++k) data += static_cast<char>(gen() & 0xFF);
      } else {
        data += "MOV EAX, [EBP+" + std::to_string(gen() % 64) + "]; table entry " +
                std::to_string(gen() % 1000) + "\r\n";
      }
    }
    data.resize(kSize);
    std::ofstream(work / "BIG.EXE.orig", std::ios::binary) << data;
    std::string command = "mscompress '" + (work / "BIG.EXE.orig").string() + "'";
    if (std::system(command.c_str()) != 0) std::abort();
    fs::rename(work / "BIG.EXE.orig_", work / "BIG.EX_");
    compressedSize = fs::file_size(work / "BIG.EX_");
    folder = std::make_unique<platform::posix::MachineFolder>(prefix.string());
    lz = std::make_unique<platform::posix::MspackLzExpand>(*folder, lastError);
  }
  ~Fixture() {
    std::error_code ec;
    fs::remove_all(prefix, ec);
  }
  fs::path prefix;
  fs::path work;
  uintmax_t compressedSize = 0;
  platform::LastError lastError;
  std::unique_ptr<platform::posix::MachineFolder> folder;
  std::unique_ptr<platform::posix::MspackLzExpand> lz;
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void BM_MspackLzExpand(benchmark::State& state) {
  Fixture& f = fixture();
  for (auto _ : state) {
    if (!f.lz->expand("C:\\W\\BIG.EX_", "C:\\W\\BIG.EXE").ok()) {
      state.SkipWithError("expansion failed");
      break;
    }
  }
  if (fs::file_size(f.work / "BIG.EXE") != kSize) state.SkipWithError("wrong size");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSize));
  state.counters["ratio"] = static_cast<double>(f.compressedSize) / kSize;
}
BENCHMARK(BM_MspackLzExpand)->Unit(benchmark::kMillisecond)->UseRealTime();

// The yardstick: the standard tool, through a shell, file to file. It writes byte by byte
// and needs tens of seconds for this file, so it runs once.
void BM_Msexpand(benchmark::State& state) {
  Fixture& f = fixture();
  const std::string command = "msexpand < '" + (f.work / "BIG.EX_").string() + "' > '" +
                              (f.work / "BIG.msexpand").string() + "'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("msexpand failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSize));
}
BENCHMARK(BM_Msexpand)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
