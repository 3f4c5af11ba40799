// The help merge of a 50 MB merge file (pages, style sheets and pictures in hex) into a folder,
// with the memory it needs.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "install/HelpMerge.h"
#include "platform/posix/FileSystem_posix.h"
#include "platform/posix/MachineFolder.h"
#include "platform/posix/TextCodec_posix.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kSize = 50 * 1024 * 1024;

class NoMessages : public platform::MessagePump {
 public:
  void processMessages() override {}
  void waitMessages(unsigned) override {}
};

long maxRssKb() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

struct Fixture {
  Fixture() {
    char pattern[] = "/tmp/brevan-bench-merge-XXXXXX";
    if (!::mkdtemp(pattern)) std::abort();
    prefix = pattern;
    fs::create_directories(prefix / "drive_c" / "W" / "help");
    const std::string start = "\x81\xA1#HELP_FILE_START#\x81\xA1\r\n";
    const std::string end = "\x81\xA1#HELP_FILE_END#\x81\xA1\r\n";
    std::string text;
    text.reserve(kSize + (1 << 20));
    for (int n = 0; text.size() < kSize; ++n) {
      text += start;
      if (n % 4 == 3) {
        text += "images\\picture" + std::to_string(n) + ".gif\r\n1431699456\r\n";
        for (int k = 0; k < 24000; ++k) text += "4A";
        text += "\r\n";
      } else {
        text += "page" + std::to_string(n) + ".htm\r\n1431699456\r\n";
        for (int line = 0; line < 600; ++line) {
          text += "<p>\x83\x77\x83\x8B\x83\x76 page " + std::to_string(n) + " line " +
                  std::to_string(line) + "</p>\r\n";
        }
      }
      text += end;
    }
    std::ofstream(prefix / "drive_c" / "W" / "MERGEHELP.INI", std::ios::binary) << text;
    folder = std::make_unique<platform::posix::MachineFolder>(prefix.string());
    files = std::make_unique<platform::posix::PosixFileSystem>(*folder, lastError);
  }
  ~Fixture() {
    std::error_code ec;
    fs::remove_all(prefix, ec);
  }
  fs::path prefix;
  platform::LastError lastError;
  platform::posix::IconvTextCodec codec;
  NoMessages pump;
  std::unique_ptr<platform::posix::MachineFolder> folder;
  std::unique_ptr<platform::posix::PosixFileSystem> files;
};

void BM_MergeHelpFile(benchmark::State& state) {
  static Fixture f;
  const long before = maxRssKb();
  for (auto _ : state) {
    install::MergeHelpFile(*f.files, f.codec, f.pump, "C:\\W\\MERGEHELP.INI", "C:\\W\\help");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSize));
  state.counters["peak_rss_growth_MB"] = static_cast<double>(maxRssKb() - before) / 1024.0;
}
BENCHMARK(BM_MergeHelpFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
