// The cost of the signed-release checks: a first update's files through the update mirror as
// proxy, each pass's signed list checked first and every file hashed against it as it arrives,
// beside the same fetches unchecked, in the fetching process's processor time.

#include <cstdio>
#include <fstream>
#include <iterator>

#include "app/Versions.h"
#include "bench/BenchProcess.h"
#include "bench/BenchWorkloads.h"
#include "download/ReleaseFileJudge.h"
#include "download/ReleaseList.h"
#include "platform/posix/FileSystem_posix.h"
#include "platform/posix/HttpTransfer_curl.h"
#include "platform/posix/MachineFolder.h"
#include "platform/posix/ReleaseCrypto_openssl.h"
#include "platform/posix/TextCodec_posix.h"
#include "tools/release/ReleaseFolder.h"
#include "tools/update-mirror/UpdateMirror.h"

namespace bench {

namespace fs = std::filesystem;

namespace {

class NoPump : public platform::MessagePump {
 public:
  void processMessages() override {}
  void waitMessages(unsigned) override {}
};

constexpr const char* kHost = "http://update.valtern.jp/";

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// "url\tlocal" lines of both passes, ASCII names only; with `lists`, each pass's signed list
// before its files.
void writeFetchList(const fs::path& release, const fs::path& out, bool lists) {
  std::ofstream list(out);
  int n = 0;
  for (const char* pass : release::kPassFolders) {
    if (lists) list << kHost << pass << "/" << download::kReleaseListName << "\tC:\\TEMP\\LIST\n";
    for (const auto& entry : fs::directory_iterator(release / pass)) {
      const std::string name = entry.path().filename().string();
      if (name == download::kReleaseListName || name.find_first_of("\x80\xFF %") != name.npos) {
        continue;
      }
      list << kHost << pass << "/" << name << "\tC:\\TEMP\\F" << n++ << "\n";
    }
  }
}

// Both runs write into an empty work folder: replacing the other run's files costs more.
void freshTemp(const fs::path& scratch) {
  fs::remove_all(scratch / "drive_c" / "TEMP");
  fs::create_directories(scratch / "drive_c" / "TEMP");
}

}  // namespace

// With keyFile "-", the same fetches unchecked.
int childSignedFetch(const std::string& port, const std::string& listFile,
                     const std::string& prefix, const std::string& keyFile) {
  platform::posix::initHttpEngine();
  platform::posix::MachineFolder machine(prefix);
  platform::posix::IconvTextCodec codec;
  NoPump pump;
  platform::LastError lastError;
  platform::posix::PosixFileSystem files(machine, lastError);
  const bool checked = keyFile != "-";
  const std::string key = checked ? readAll(keyFile) : std::string();
  platform::posix::OpenSslReleaseCrypto crypto(
      {reinterpret_cast<const uint8_t*>(key.data()), key.size()});
  std::vector<std::pair<std::string, std::string>> list;
  std::ifstream in(listFile);
  for (std::string line; std::getline(in, line);) {
    const size_t tab = line.find('\t');
    list.emplace_back(line.substr(0, tab), line.substr(tab + 1));
  }
  const double start = processorSeconds();
  {
    platform::posix::CurlHttpTransfer http(machine, codec, pump, lastError);
    download::ReleaseList signedList;
    // As the download pass does: each file is judged as it arrives, the list is not.
    download::ReleaseFileJudge judge(signedList, crypto);
    for (const auto& [url, local] : list) {
      const size_t slash = url.rfind('/');
      const std::string name = url.substr(slash + 1);
      const bool isList = name == download::kReleaseListName;
      http.setBodyJudge(checked && !isList ? &judge : nullptr);
      if (checked) judge.expect(codec.toCp932(name));
      http.ResetTransfer();
      http.ProxyServer("127.0.0.1");
      http.ProxyPort(std::stoi(port));
      http.LocalFile(local);
      try {
        http.FetchURL(url);
      } catch (const platform::EipwHTTP& e) {
        std::fprintf(stderr, "%s: %s\n", url.c_str(), e.what());
        return 1;
      }
      pump.processMessages();  // as the download sequence does after each file
      if (!checked || !isList) continue;
      const std::string folder = url.substr(0, slash);
      const download::ReleaseFault fault =
          download::checkReleaseList(files.readFile(local).value_or(""), crypto, app::kUpVersion,
                                     folder.substr(folder.rfind('/') + 1), signedList);
      if (fault != download::ReleaseFault::kNone) {
        std::fprintf(stderr, "%s: %s\n", url.c_str(), download::releaseFaultText(fault));
        return 1;
      }
    }
  }
  std::printf("%.4f %ld\n", processorSeconds() - start, peakKb());
  return 0;
}

void compareSignedFetches(const fs::path& scratch) {
  const fs::path release = scratch / "signed-release";
  if (spawn({SAMPLE_RELEASE_TOOL, "release", release.string()}).status != 0) std::exit(1);
  release::makeKeyPair((scratch / "bench").string());
  release::Signer signer((scratch / "bench.key").string());
  for (const char* pass : release::kPassFolders) {
    release::signFolder(release / pass, signer, app::kUpVersion);
  }
  fs::create_directories(scratch / "drive_c" / "TEMP");
  mirror::UpdateMirror server(mirror::UpdateMirror::Options{release.string(), 0, ""});
  server.start();
  const std::string port = std::to_string(server.port());
  writeFetchList(release, scratch / "signed.txt", true);
  writeFetchList(release, scratch / "unsigned.txt", false);
  // Many rounds: the files are small, so the checks' share is easily lost in the machine's noise.
  const auto r = interleave(
      9,
      [&] {
        freshTemp(scratch);
        return child(scratch, {"signed-fetch", port, (scratch / "signed.txt").string(),
                               scratch.string(), (scratch / "bench.pub").string()});
      },
      [&] {
        freshTemp(scratch);
        return child(scratch, {"signed-fetch", port, (scratch / "unsigned.txt").string(),
                               scratch.string(), "-"});
      });
  printLine("fetches checked, processor time", r, "the same unchecked", 1.05);
  compareSignedUpdates(scratch, scratch / "bench.pub", server.port());
}

}  // namespace bench
