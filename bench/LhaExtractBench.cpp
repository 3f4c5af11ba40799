// Extraction of a 20 MB LHA archive (-lh5-, 200 files in folders): libunlha32 against lhasa.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 200;
constexpr size_t kFileSize = 100 * 1024;

// The archive, made once by jlha from text that compresses like the CORINS data files.
struct Fixture {
  Fixture() {
    char pattern[] = "/tmp/brevan-bench-lha-XXXXXX";
    if (!::mkdtemp(pattern)) std::abort();
    root = pattern;
    const fs::path source = root / "src";
    std::mt19937 gen(7);
    for (int i = 0; i < kFiles; ++i) {
      const fs::path file = source / ("corins" + std::to_string(i % 3) + ".0") /
                            ("DATA" + std::to_string(i) + ".TXT");
      fs::create_directories(file.parent_path());
      std::string text;
      while (text.size() < kFileSize) {
        text += std::to_string(gen() % 100000) + ",工事番号," + std::to_string(gen() % 50) +
                ",CORINS record " + std::to_string(gen() % 7) + "\r\n";
      }
      text.resize(kFileSize);
      std::ofstream(file, std::ios::binary) << text;
    }
    archive = root / "BENCH.lzh";
    const std::string command = "cd '" + source.string() + "' && LANG=C.UTF-8 jlha a2y '" +
                                archive.string() + "' corins0.0 corins1.0 corins2.0 >/dev/null";
    if (std::system(command.c_str()) != 0) std::abort();
    library = ::dlopen(UNLHA32_LIBRARY, RTLD_NOW);
    if (library == nullptr) std::abort();
    unlha = reinterpret_cast<decltype(unlha)>(::dlsym(library, "Unlha"));
    check = reinterpret_cast<decltype(check)>(::dlsym(library, "UnlhaCheckArchive"));
  }
  ~Fixture() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  fs::path root;
  fs::path archive;
  void* library = nullptr;
  int (*unlha)(void*, const char*, char*, unsigned) = nullptr;
  int (*check)(const char*, int) = nullptr;
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

constexpr int64_t kBytes = static_cast<int64_t>(kFiles) * static_cast<int64_t>(kFileSize);

// Our library: a checking pass over the whole archive, then the writing pass.
void BM_UnlhaExtract(benchmark::State& state) {
  Fixture& f = fixture();
  const fs::path dest = f.root / "out-unlha";
  const std::string line =
      "e -jyc -jyo \"" + f.archive.string() + "\" -d1 -c1 \"" + dest.string() + "/\"";
  char output[255];
  for (auto _ : state) {
    if (f.unlha(nullptr, line.c_str(), output, 254) != 0) state.SkipWithError(output);
  }
  state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BM_UnlhaExtract)->Unit(benchmark::kMillisecond)->UseRealTime();

// Debian's lhasa tool, writing the same files (one process per run).
void BM_LhasaToolExtract(benchmark::State& state) {
  Fixture& f = fixture();
  const fs::path dest = f.root / "out-lhasa";
  fs::create_directories(dest);
  const std::string command =
      "lhasa xfq2w='" + dest.string() + "' '" + f.archive.string() + "' >/dev/null 2>&1";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("lhasa failed");
  }
  state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BM_LhasaToolExtract)->Unit(benchmark::kMillisecond)->UseRealTime();

// Decoding and CRC only: our full check against "lhasa t".
void BM_UnlhaCheckFullCrc(benchmark::State& state) {
  Fixture& f = fixture();
  for (auto _ : state) {
    if (f.check(f.archive.c_str(), 2) == 0) state.SkipWithError("check failed");
  }
  state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BM_UnlhaCheckFullCrc)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LhasaToolTest(benchmark::State& state) {
  Fixture& f = fixture();
  const std::string command = "lhasa tq2 '" + f.archive.string() + "' >/dev/null 2>&1";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("lhasa failed");
  }
  state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BM_LhasaToolTest)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
