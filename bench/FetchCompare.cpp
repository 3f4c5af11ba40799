// The fetch comparisons: a first update's many small files through the update mirror as proxy,
// by our component file after file and by one curl process with keep-alive, and under Wine by
// our WinINet component and by a minimal WinINet loop; and the longest wait between two
// message-pump calls while a large file comes in.
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <thread>

#include "bench/BenchProcess.h"
#include "bench/BenchWorkloads.h"
#include "platform/posix/HttpTransfer_curl.h"
#include "platform/posix/MachineFolder.h"
#include "platform/posix/TextCodec_posix.h"
#include "tools/update-mirror/UpdateMirror.h"

namespace bench {

namespace fs = std::filesystem;

namespace {

// The window's side: how long the longest wait between two calls was.
class GapPump : public platform::MessagePump {
 public:
  void processMessages() override {
    const auto now = Clock::now();
    longest = std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
    last = now;
  }
  void waitMessages(unsigned) override { processMessages(); }
  Clock::time_point last = Clock::now();
  double longest = 0;
};

constexpr const char* kHost = "http://update.valtern.jp/";

struct Listed {
  std::string url;
  std::string local;  // Windows path for our component
  std::string native;
};

// Every file of the release under brevan/ (both passes of a first update), ASCII names only.
std::vector<Listed> releaseFiles(const fs::path& release, const fs::path& prefix) {
  std::vector<Listed> files;
  for (const auto& entry : fs::recursive_directory_iterator(release / "brevan")) {
    if (!entry.is_regular_file()) continue;
    const std::string relative = fs::relative(entry.path(), release).generic_string();
    if (relative.find_first_of("\x80\xFF %") != std::string::npos) continue;
    const std::string name = "F" + std::to_string(files.size());
    files.push_back(
        {kHost + relative, "C:\\TEMP\\" + name, (prefix / "drive_c" / "TEMP" / name).string()});
  }
  return files;
}

void writeList(const fs::path& list, const std::vector<Listed>& files) {
  std::ofstream out(list);
  for (const auto& f : files) out << f.url << '\t' << f.local << '\n';
}

// A curl config of url/output pairs.
void writeCurlConfig(const fs::path& config, const std::vector<Listed>& files,
                     const std::string& base) {
  std::ofstream out(config);
  for (const auto& f : files) {
    out << "url = \"" << base + f.url.substr(std::string(kHost).size()) << "\"\noutput = \""
        << f.native << ".curl\"\n";
  }
}

Measured curl(const std::vector<std::string>& args) {
  std::vector<std::string> command = {"curl", "-s", "-f"};
  command.insert(command.end(), args.begin(), args.end());
  const Spawned s = spawn(command);
  if (s.status != 0) {
    std::fprintf(stderr, "curl failed\n");
    std::exit(1);
  }
  return {s.seconds, s.maxRssKb};
}

// The Windows part: the same files under Wine through our WinINet component and through a
// minimal WinINet loop (bench/win32), each run a process of its own timing its fetches alone.
// Runs when BREVAN_BENCH_WININET names the program and WINEPREFIX a prepared prefix.
void compareWindowsFetches(const fs::path& scratch, const std::vector<Listed>& files,
                           const std::string& port) {
  const char* program = std::getenv("BREVAN_BENCH_WININET");
  if (program == nullptr || std::getenv("WINEPREFIX") == nullptr) {
    std::printf("%-46s (skipped: no BREVAN_BENCH_WININET and WINEPREFIX)\n",
                "first update under Wine, WinINet");
    return;
  }
  const fs::path folder = scratch / "wine-out";
  fs::create_directories(folder);
  std::string windowsFolder = "Z:" + folder.string();
  for (char& c : windowsFolder) c = c == '/' ? '\\' : c;
  const fs::path list = scratch / "fetch-wine.txt";
  {
    std::ofstream out(list);
    for (size_t i = 0; i < files.size(); ++i) {
      out << files[i].url << '\t' << windowsFolder << "\\F" << i << '\n';
    }
  }
  const std::string result = (scratch / "wine-result.txt").string();
  auto run = [&](const char* mode) {
    const Spawned s = spawn(
        {"/usr/lib/wine/wine64", program, mode, "127.0.0.1:" + port, list.string()}, {}, result);
    Measured m;
    std::ifstream in(result);
    if (s.status != 0 || !(in >> m.seconds >> m.peakKb)) {
      std::fprintf(stderr, "the Windows fetch (%s) failed\n", mode);
      std::exit(1);
    }
    return m;
  };
  // One round unmeasured: Wine maps its libraries into the page cache the first time.
  (void)run("loop");
  const auto r = interleave(
      3, [&] { return run("ours"); }, [&] { return run("loop"); });
  const double n = static_cast<double>(files.size());
  printLine("first update under Wine, " + std::to_string(files.size()) + " files", r,
            "WinINet loop", 1.2);
  std::printf("%-46s %.2f ms ours, %.2f ms loop, %.2f ms more\n", "  per file",
              r.ours.seconds * 1000 / n, r.yardstick.seconds * 1000 / n,
              (r.ours.seconds - r.yardstick.seconds) * 1000 / n);
}

double readGap(const fs::path& scratch) {
  double gap = 0;
  std::ifstream(scratch / "gap.txt") >> gap;
  return gap;
}

}  // namespace

int childFetch(const std::string& port, const std::string& listFile, const std::string& prefix) {
  platform::posix::initHttpEngine();
  platform::posix::MachineFolder machine(prefix);
  platform::posix::IconvTextCodec codec;
  GapPump pump;
  platform::LastError lastError;
  std::vector<std::pair<std::string, std::string>> list;
  std::ifstream in(listFile);
  for (std::string line; std::getline(in, line);) {
    const size_t tab = line.find('\t');
    list.emplace_back(line.substr(0, tab), line.substr(tab + 1));
  }
  const auto start = Clock::now();
  {
    platform::posix::CurlHttpTransfer http(machine, codec, pump, lastError);
    pump.last = Clock::now();
    try {
      for (const auto& [url, local] : list) {
        http.ResetTransfer();
        http.ProxyServer("127.0.0.1");
        http.ProxyPort(std::stoi(port));
        http.LocalFile(local);
        http.FetchURL(url);
        pump.processMessages();  // as the download sequence does after each file
      }
    } catch (const std::exception& e) {
      std::fprintf(stderr, "fetch failed: %s\n", e.what());
      return 1;
    }
  }
  const double seconds = secondsSince(start);
  std::ofstream(fs::path(listFile).parent_path() / "gap.txt") << pump.longest << '\n';
  std::printf("%.4f %ld\n", seconds, peakKb());
  return 0;
}

void compareFetches(const fs::path& scratch, int divisor) {
  const fs::path release = scratch / "release";
  if (spawn({SAMPLE_RELEASE_TOOL, "release", release.string()}).status != 0) std::exit(1);
  fs::create_directories(scratch / "drive_c" / "TEMP");
  mirror::UpdateMirror server(mirror::UpdateMirror::Options{release.string(), 0, ""});
  server.start();
  const std::string port = std::to_string(server.port());
  const auto files = releaseFiles(release, scratch);
  const fs::path list = scratch / "fetch.txt";
  writeList(list, files);
  writeCurlConfig(scratch / "curl-proxy.cfg", files, kHost);

  const auto r = interleave(
      3,
      [&] {
        return child(scratch, {"fetch", port, list.string(), scratch.string()});
      },
      [&] {
        return curl({"--proxy", "127.0.0.1:" + port, "-K", (scratch / "curl-proxy.cfg").string()});
      });
  const double gapSmall = readGap(scratch);
  const double n = static_cast<double>(files.size());
  printLine("first update, " + std::to_string(files.size()) + " files via mirror proxy", r,
            "one curl -K", 1.2);
  std::printf("%-46s %.2f ms ours, %.2f ms curl, %.2f ms more\n", "  per file",
              r.ours.seconds * 1000 / n, r.yardstick.seconds * 1000 / n,
              (r.ours.seconds - r.yardstick.seconds) * 1000 / n);
  compareWindowsFetches(scratch, files, port);

  // The mirror must not be what is slow: curl against it and against a plain static server.
  const int staticPort = 20000 + static_cast<int>(::getpid() % 20000);
  const std::string serve =
      "import http.server as h, functools\n"
      "h.SimpleHTTPRequestHandler.protocol_version = 'HTTP/1.1'\n"
      "handler = functools.partial(h.SimpleHTTPRequestHandler, directory='" +
      release.string() +
      "')\n"
      "h.ThreadingHTTPServer(('127.0.0.1', " +
      std::to_string(staticPort) + "), handler).serve_forever()\n";
  const pid_t python = ::fork();
  if (python == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::execlp("python3", "python3", "-c", serve.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  std::this_thread::sleep_for(std::chrono::seconds(2));
  writeCurlConfig(scratch / "curl-mirror.cfg", files, "http://127.0.0.1:" + port + "/");
  writeCurlConfig(scratch / "curl-static.cfg", files,
                  "http://127.0.0.1:" + std::to_string(staticPort) + "/");
  const auto s = interleave(
      3,
      [&] {
        return curl({"-K", (scratch / "curl-mirror.cfg").string()});
      },
      [&] {
        return curl({"-K", (scratch / "curl-static.cfg").string()});
      });
  ::kill(python, SIGTERM);
  printLine("curl: the mirror against a static server", s, "python http.server", 1.0);

  // The window's longest wait: a 100 MB file at full speed, and the first update's files.
  const size_t big = (size_t{100} << 20) / static_cast<size_t>(divisor);
  {
    std::ofstream out(release / "brevan" / "BIG.BIN", std::ios::binary);
    std::string piece(1 << 20, '\0');
    uint32_t x = 2463534242u;
    for (size_t written = 0; written < big; written += piece.size()) {
      for (char& c : piece) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x);
      }
      out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    }
  }
  const fs::path bigList = scratch / "big.txt";
  std::ofstream(bigList) << kHost << "brevan/BIG.BIN\tC:\\TEMP\\BIG.BIN\n";
  double gapBig = 1e30;
  for (int round = 0; round < 3; ++round) {
    (void)child(scratch, {"fetch", port, bigList.string(), scratch.string()});
    gapBig = std::min(gapBig, readGap(scratch));
  }
  std::printf("%-46s %8.1f ms (target < 50 ms)%s\n",
              ("window's longest wait, " + std::to_string(big >> 20) + " MB fetch").c_str(), gapBig,
              gapBig >= 50 ? "  MISSED" : "");
  std::printf("%-46s %8.1f ms (target < 50 ms)%s\n", "window's longest wait, first update",
              gapSmall, gapSmall >= 50 ? "  MISSED" : "");
}

}  // namespace bench
