// brevan-sample-release: makes the sample release, the sample machine and the expected tree.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "tools/sample-release/Cp932.h"
#include "tools/sample-release/ReleaseWriter.h"
#include "tools/sample-release/SampleMachine.h"
#include "tools/sample-release/Tree.h"

namespace {

constexpr size_t kShownDifferences = 40;

int usage() {
  std::fprintf(
      stderr,
      "usage: brevan-sample-release release DIR [--mscompress PATH] [--jlha PATH]\n"
      "       brevan-sample-release machine PREFIX --proxy HOST:PORT\n"
      "       brevan-sample-release expected --proxy HOST:PORT [--ticks all|N,N,...]\n"
      "       brevan-sample-release check PREFIX --proxy HOST:PORT [--ticks all|N,N,...|saved]\n"
      "       brevan-sample-release scan DIR\n");
  return 2;
}

struct Arguments {
  std::string command, path;
  std::map<std::string, std::string> options;
};

bool parse(int argc, char** argv, Arguments& a) {
  if (argc < 2) return false;
  a.command = argv[1];
  int i = 2;
  if (a.command != "expected") {
    if (argc < 3) return false;
    a.path = argv[i++];
  }
  for (; i < argc; i += 2) {
    const std::string key = argv[i];
    if (key.rfind("--", 0) != 0 || i + 1 >= argc) return false;
    a.options[key.substr(2)] = argv[i + 1];
  }
  return true;
}

bool parseProxy(const std::string& text, std::string& host, uint16_t& port) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  char* end = nullptr;
  const long value = std::strtol(text.c_str() + colon + 1, &end, 10);
  if (*end != '\0' || value < 0 || value > 65535) return false;
  host = text.substr(0, colon);
  port = static_cast<uint16_t>(value);
  return true;
}

bool parseTicks(const std::string& text, sample::Ticks& ticks) {
  if (text.empty() || text == "all") {
    ticks = sample::allTicked();
    return true;
  }
  ticks.fill(false);
  size_t at = 0;
  while (at <= text.size()) {
    const size_t comma = std::min(text.find(',', at), text.size());
    char* end = nullptr;
    const std::string item = text.substr(at, comma - at);
    const long n = std::strtol(item.c_str(), &end, 10);
    if (item.empty() || *end != '\0' || n < 0 || n >= 15) return false;
    ticks[static_cast<size_t>(n)] = true;
    at = comma + 1;
  }
  return true;
}

// The ticks the program saved at close into the installation's plug-in list.
bool savedTicks(const std::string& prefix, sample::Ticks& ticks) {
  std::ifstream in(prefix + "/drive_c/" + sample::kInstallFolder + "/Install.ini",
                   std::ios::binary);
  if (!in) return false;
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  for (size_t i = 0; i < ticks.size(); ++i) {
    ticks[i] = text.find(sample::toCp932(std::string(sample::kStandardNames[i])) + "=1\r\n") !=
               std::string::npos;
  }
  return true;
}

std::string windowsFolder(const std::string& folder) {
  std::string path = "C:\\" + folder + "\\";
  for (char& c : path) c = c == '/' ? '\\' : c;
  return path;
}

// Files per folder directly below the installation folder, for the demo's summary.
void printSummary(const sample::Tree& tree) {
  const std::string root = std::string(sample::kInstallFolder) + "/";
  std::map<std::string, int> files;
  for (const auto& [path, file] : tree.files) {
    if (path.rfind(root, 0) != 0) continue;
    const std::string rest = path.substr(root.size());
    const size_t slash = rest.find('/');
    files[slash == std::string::npos ? "(installation folder)" : rest.substr(0, slash)]++;
  }
  std::printf("%s\n", windowsFolder(sample::kInstallFolder).c_str());
  for (const auto& [folder, count] : files)
    std::printf("  %-24s %4d files\n", folder.c_str(), count);
}

int run(const Arguments& a) {
  std::string host;
  uint16_t port = 0;
  sample::Ticks ticks{};
  const bool needsProxy = a.command == "machine" || a.command == "expected" || a.command == "check";
  if (needsProxy && (!a.options.count("proxy") || !parseProxy(a.options.at("proxy"), host, port))) {
    return usage();
  }
  const std::string tickText = a.options.count("ticks") ? a.options.at("ticks") : "all";
  if (a.command == "check" && tickText == "saved") {
    if (!savedTicks(a.path, ticks)) {
      std::printf("The update did not complete: the installation has no saved plug-in list.\n");
      return 1;
    }
  } else if (!parseTicks(tickText, ticks)) {
    return usage();
  }

  if (a.command == "release") {
    sample::ReleaseTools tools;
    if (a.options.count("mscompress")) tools.mscompress = a.options.at("mscompress");
    if (a.options.count("jlha")) tools.jlha = a.options.at("jlha");
    sample::writeRelease(a.path, tools);
    std::printf("Sample release written to %s/brevan\n", a.path.c_str());
    return 0;
  }
  if (a.command == "machine") {
    sample::writeSampleMachine(a.path, host, port);
    std::printf("Sample machine written to %s\n", a.path.c_str());
    return 0;
  }
  if (a.command == "expected") {
    std::fputs(sample::manifestText(sample::expectedDriveC(ticks, host, port)).c_str(), stdout);
    return 0;
  }
  if (a.command == "scan") {
    std::fputs(sample::manifestText(sample::scanTree(a.path)).c_str(), stdout);
    return 0;
  }
  if (a.command == "check") {
    const sample::Tree actual = sample::scanTree(a.path + "/drive_c");
    const auto differences =
        sample::compareTrees(sample::expectedDriveC(ticks, host, port), actual);
    printSummary(actual);
    if (differences.empty()) {
      std::printf("The installed tree is as expected: %zu folders, %zu files checked.\n",
                  actual.folders.size(), actual.files.size());
      return 0;
    }
    if (!actual.folders.count(std::string(sample::kInstallFolder) + "/OLD_BIN")) {
      std::printf("The update did not run: the installation has no OLD_BIN folder.\n");
      return 1;
    }
    std::printf("The installed tree differs from the expected one in %zu places:\n",
                differences.size());
    for (size_t i = 0; i < differences.size() && i < kShownDifferences; ++i) {
      std::printf("  %s\n", differences[i].c_str());
    }
    if (differences.size() > kShownDifferences) {
      std::printf("  ... and %zu more\n", differences.size() - kShownDifferences);
    }
    return 1;
  }
  return usage();
}

}  // namespace

int main(int argc, char** argv) {
  // Time stamps in the manifest are local times in the product's home time zone.
  ::setenv("TZ", "Asia/Tokyo", 1);
  ::tzset();
  Arguments a;
  if (!parse(argc, argv, a)) return usage();
  try {
    return run(a);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "brevan-sample-release: %s\n", e.what());
    return 1;
  }
}
