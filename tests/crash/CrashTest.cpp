// A first update of the sample release killed at a rename of every phase, then run again with
// the same ticks: each run ends with the tree of an update that ran through, and leaves nothing
// of its own behind. The kills come from strace's fault injection, so the program carries no
// hook for them: `-e inject=<call>:signal=SIGKILL:when=N` kills it on entering its Nth call,
// before the rename happens.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <regex>

#include "tests/e2e/ChildProcess.h"
#include "tools/sample-release/SampleMachine.h"
#include "tools/sample-release/Tree.h"
#include "tools/update-mirror/UpdateMirror.h"

namespace crash {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using e2e::ChildProcess;

// One rename the reference run made: the call, its number among the calls of its kind, the
// paths below the machine folder.
struct Rename {
  std::string call;
  int when = 0;
  std::string from, to;
};

// A chosen kill: the rename it comes before and what the run was doing.
struct KillPoint {
  Rename at;
  std::string phase;
};

const std::string kInstall = std::string("drive_c/") + sample::kInstallFolder + "/";

std::string ticksText(const sample::Ticks& ticks) {
  std::string text;
  for (bool t : ticks) text += t ? '1' : '0';
  return text;
}

bool startsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }
bool endsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The renames of an strace log (-e trace=rename,renameat2), paths made relative to `prefix`.
// strace writes bytes above 0x7E as octal escapes; the ASCII parts are what the phases need.
std::vector<Rename> readTrace(const std::string& log, const std::string& prefix) {
  static const std::regex line(
      R"re((rename|renameat2)\((?:AT_FDCWD, )?"([^"]*)", (?:AT_FDCWD, )?"([^"]*)")re");
  std::vector<Rename> renames;
  std::map<std::string, int> counts;
  std::ifstream in(log);
  for (std::string text; std::getline(in, text);) {
    std::smatch m;
    if (!std::regex_search(text, m, line)) continue;
    auto relative = [&](std::string path) {
      return startsWith(path, prefix + "/") ? path.substr(prefix.size() + 1) : path;
    };
    renames.push_back({m[1], ++counts[m[1]], relative(m[2]), relative(m[3])});
  }
  return renames;
}

// The two national standards and one with a spreadsheet form among its plug-ins: every kind of
// file, in lists short enough for some hundred runs.
sample::Ticks ticked() {
  sample::Ticks ticks{};
  ticks[0] = ticks[1] = ticks[2] = true;
  return ticks;
}

class CrashTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_mirror = std::make_unique<mirror::UpdateMirror>(
        mirror::UpdateMirror::Options{E2E_RELEASE_DIR, 0, ""});
    s_mirror->start();
  }
  static void TearDownTestSuite() { s_mirror.reset(); }

  void SetUp() override {
    if (e2e::findProgram("strace").empty()) GTEST_SKIP() << "strace missing";
    m_scratch = (fs::temp_directory_path() / "brevan-crash-XXXXXX").string();
    ASSERT_NE(::mkdtemp(m_scratch.data()), nullptr);
  }
  void TearDown() override {
    std::error_code error;
    if (!m_scratch.empty() && !HasFailure()) fs::remove_all(m_scratch, error);
  }

  // A fresh sample machine of its own.
  std::string freshMachine(const std::string& name) {
    const std::string prefix = m_scratch + "/" + name;
    std::error_code error;
    fs::remove_all(prefix, error);
    fs::create_directories(prefix);
    sample::writeSampleMachine(prefix, "127.0.0.1", s_mirror->port());
    return prefix;
  }

  // Runs one update on the machine, under `tracer` when given; its exit status.
  int update(const std::string& prefix, std::vector<std::string> tracer = {}) {
    std::vector<std::string> argv = std::move(tracer);
    argv.insert(argv.end(), {CRASH_RUN_PROGRAM, CRASH_PROGRAM_FOLDER, ticksText(m_ticks)});
    ChildProcess run(
        argv,
        {{"BREVAN_PREFIX", prefix}, {"TZ", "Asia/Tokyo"}, {"http_proxy", ""}, {"HTTP_PROXY", ""}},
        prefix + ".log");
    const auto status = run.waitFor(120s);
    return status ? *status : -1;
  }

  // The machine's drive C: against an update that ran through. In the plug-in folders a backup
  // may hold what the killed run had already installed, as the next run sets aside whatever it
  // finds live there.
  std::vector<std::string> differences(const std::string& prefix) const {
    sample::Tree expected = sample::expectedDriveC(m_ticks, "127.0.0.1", s_mirror->port());
    const sample::Tree actual = sample::scanTree(prefix + "/drive_c");
    for (const char* folder : {"OLD_BIN/Plugin/", "NEW_BIN/Plugin/"}) {
      const std::string plugins = std::string(sample::kInstallFolder) + "/" + folder;
      for (auto it = expected.files.begin(); it != expected.files.end();) {
        const bool backup = startsWith(it->first, plugins) && endsWith(it->first, ".BAK");
        it = backup && !actual.files.count(it->first) ? expected.files.erase(it) : std::next(it);
      }
      for (const auto& [path, file] : actual.files) {
        if (!startsWith(path, plugins) || !endsWith(path, ".BAK")) continue;
        const std::string stem = path.substr(0, path.size() - 4);
        for (const char* live : {".SPI", ".DOC", ".XLS"}) {
          const auto installed = expected.files.find(stem + live);
          if (installed != expected.files.end() && installed->second.bytes == file.bytes) {
            expected.files[path] = {file.bytes, std::nullopt, file.readOnly};
          }
        }
      }
    }
    auto found = sample::compareTrees(expected, actual);
    // Nothing of the program's own beside the machine's drives either (the registry's file).
    for (const auto& entry : fs::directory_iterator(prefix)) {
      const std::string name = entry.path().filename();
      if (name != "drive_c" && name != "registry.reg") found.push_back("unexpected entry: " + name);
    }
    return found;
  }

  static inline std::unique_ptr<mirror::UpdateMirror> s_mirror;
  std::string m_scratch;
  sample::Ticks m_ticks = ticked();
};

// Every rename of the first-run restructuring, and points spread evenly over each phase of both
// passes.
std::vector<KillPoint> choosePoints(const std::vector<Rename>& renames) {
  const sample::Ticks ticks = ticked();
  std::vector<KillPoint> points;
  std::map<std::string, std::vector<Rename>> phases;
  std::vector<std::string> order;
  int pass = 0;
  for (const Rename& r : renames) {
    if (pass == 0 && startsWith(r.to, "drive_c/TEMP/BrvOldUp/")) pass = 1;
    if (startsWith(r.to, "drive_c/TEMP/BrvNewUp/")) pass = 2;
    std::string phase;
    if (pass == 0) {
      if (startsWith(r.to, kInstall)) points.push_back({r, "restructuring"});
      continue;
    }
    const std::string work = pass == 1 ? "drive_c/TEMP/BrvOldUp/" : "drive_c/TEMP/BrvNewUp/";
    const std::vector<std::string> names = sample::workList(pass, ticks);
    if (startsWith(r.to, work)) {
      const std::string name = r.to.substr(work.size());
      const bool fetched = std::find(names.begin(), names.end(), name) != names.end();
      phase = fetched ? "download" : endsWith(name, ".OLD") ? "main program" : "expansion";
    } else if (endsWith(r.to, ".BAK")) {
      phase = "plug-in backup";
    } else if (endsWith(r.to, "/pictdesk.exe") || endsWith(r.to, "/PictDesk.EXE")) {
      phase = "main program";
    } else {
      phase = "installation";
    }
    phase = "pass " + std::to_string(pass) + " " + phase;
    if (!phases.count(phase)) order.push_back(phase);
    phases[phase].push_back(r);
  }
  for (const std::string& phase : order) {
    const auto& all = phases[phase];
    const size_t want = std::min<size_t>(all.size(), 4);
    for (size_t i = 0; i < want; ++i) {
      points.push_back({all[(all.size() - 1) * i / std::max<size_t>(want - 1, 1)], phase});
    }
  }
  return points;
}

TEST_F(CrashTest, KilledAtAnyRenameTheNextRunFinishesTheUpdate) {
  const auto start = std::chrono::steady_clock::now();
  // The reference: the same update, traced and never killed.
  const std::string reference = freshMachine("reference");
  const std::string log = m_scratch + "/reference.trace";
  ASSERT_EQ(update(reference, {"strace", "-f", "--seccomp-bpf", "-qq", "-o", log, "-e",
                               "trace=rename,renameat2", "-e", "signal=none"}),
            0);
  EXPECT_EQ(differences(reference), std::vector<std::string>{});
  const std::vector<KillPoint> points = choosePoints(readTrace(log, reference));
  size_t restructuring = 0;
  for (const auto& p : points) restructuring += p.phase == "restructuring";
  // The marker, the moves into OLD_BIN and into NEW_BIN\FASTGLASS, the copies that seed NEW_BIN.
  EXPECT_GE(restructuring, 16u);
  EXPECT_GE(points.size() - restructuring, 25u);

  for (size_t i = 0; i < points.size(); ++i) {
    const KillPoint& point = points[i];
    SCOPED_TRACE(point.phase + ": " + point.at.call + " #" + std::to_string(point.at.when) + " " +
                 point.at.from + " -> " + point.at.to);
    const std::string prefix = freshMachine("kill-" + std::to_string(i));
    const std::string inject =
        "inject=" + point.at.call + ":signal=SIGKILL:when=" + std::to_string(point.at.when);
    const int killed =
        update(prefix, {"strace", "-f", "-qq", "-o", prefix + ".trace", "-e",
                        "trace=" + point.at.call, "-e", inject, "-e", "signal=none"});
    ASSERT_EQ(killed, 128 + SIGKILL) << "the run was not killed";
    // It died on entering the very rename the reference made at that count.
    const auto trace = readTrace(prefix + ".trace", prefix);
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.back().to, point.at.to);
    EXPECT_EQ(update(prefix), 0) << "the next run did not complete; see " << prefix << ".log";
    const auto found = differences(prefix);
    std::string listed;
    for (size_t d = 0; d < found.size() && d < 20; ++d) listed += found[d] + "\n";
    EXPECT_TRUE(found.empty()) << found.size() << " differences:\n" << listed;
    if (!HasFailure()) fs::remove_all(prefix);
  }
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
  std::map<std::string, int> perPhase;
  for (const auto& p : points) ++perPhase[p.phase];
  std::cout << points.size() << " kill points in " << seconds.count() << " s:";
  for (const auto& [phase, count] : perPhase) std::cout << " " << phase << " " << count << ";";
  std::cout << "\n";
}

}  // namespace
}  // namespace crash
