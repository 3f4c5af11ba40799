// A 100 MB fetch from the loopback update mirror: our libcurl component against the curl tool,
// with the peak memory each side needs.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/MessagePump.h"
#include "platform/posix/HttpTransfer_curl.h"
#include "platform/posix/MachineFolder.h"
#include "platform/posix/TextCodec_posix.h"
#include "tools/update-mirror/UpdateMirror.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kSize = 100 * 1024 * 1024;

class IdlePump : public platform::MessagePump {
 public:
  void processMessages() override {}
  void waitMessages(unsigned) override {}
};

long maxRssKb(int who) {
  rusage usage{};
  ::getrusage(who, &usage);
  return usage.ru_maxrss;
}

// A release folder with brevan/v128/BIG.lzh (written in pieces, so the fixture itself does not
// raise the peak memory), served by an in-process mirror; a machine folder to fetch into.
struct Fixture {
  Fixture() {
    char pattern[] = "/tmp/brevan-bench-http-XXXXXX";
    if (!::mkdtemp(pattern)) std::abort();
    scratch = pattern;
    fs::create_directories(scratch / "release" / "brevan" / "v128");
    fs::create_directories(scratch / "prefix" / "drive_c" / "TEMP");
    std::ofstream out(scratch / "release" / "brevan" / "v128" / "BIG.lzh", std::ios::binary);
    std::string piece(1024 * 1024, '\0');
    uint32_t x = 2463534242u;
    for (size_t written = 0; written < kSize; written += piece.size()) {
      for (char& c : piece) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x);
      }
      out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    }
    out.close();
    platform::posix::initHttpEngine();
    server = std::make_unique<mirror::UpdateMirror>(
        mirror::UpdateMirror::Options{(scratch / "release").string(), 0, ""});
    server->start();
    url = server->baseUrl() + "/brevan/v128/BIG.lzh";
    machine = std::make_unique<platform::posix::MachineFolder>((scratch / "prefix").string());
  }
  ~Fixture() {
    server.reset();
    std::error_code ec;
    fs::remove_all(scratch, ec);
  }
  fs::path scratch;
  std::string url;
  std::unique_ptr<mirror::UpdateMirror> server;
  std::unique_ptr<platform::posix::MachineFolder> machine;
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void BM_FetchComponent(benchmark::State& state) {
  Fixture& f = fixture();
  platform::posix::IconvTextCodec codec;
  IdlePump pump;
  platform::LastError lastError;
  platform::posix::CurlHttpTransfer http(*f.machine, codec, pump, lastError);
  const long before = maxRssKb(RUSAGE_SELF);
  for (auto _ : state) {
    http.ResetTransfer();
    http.LocalFile("C:\\TEMP\\BIG.lzh");
    http.FetchURL(f.url);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSize));
  state.counters["peak_rss_growth_MB"] =
      static_cast<double>(maxRssKb(RUSAGE_SELF) - before) / 1024.0;
  state.counters["peak_rss_MB"] = static_cast<double>(maxRssKb(RUSAGE_SELF)) / 1024.0;
}
BENCHMARK(BM_FetchComponent)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FetchCurlTool(benchmark::State& state) {
  Fixture& f = fixture();
  const std::string target = (f.scratch / "prefix" / "drive_c" / "TEMP" / "BIG.curl").string();
  for (auto _ : state) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::execlp("curl", "curl", "-s", "-f", "-o", target.c_str(), f.url.c_str(),
               static_cast<char*>(nullptr));
      ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("curl failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSize));
  state.counters["peak_rss_MB"] = static_cast<double>(maxRssKb(RUSAGE_CHILDREN)) / 1024.0;
}
BENCHMARK(BM_FetchCurlTool)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
