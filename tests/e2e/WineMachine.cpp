// The sample machine in a Wine prefix: Wine's own files told from the sample's by what the
// fresh prefix already held.
#include "tests/e2e/WineMachine.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/AsciiCase.h"
#include "tests/e2e/ChildProcess.h"

namespace e2e {

namespace fs = std::filesystem;

namespace {

const std::string kWine = "/usr/lib/wine/wine64";

// Names of drive_c and of its folders one level down, relative to drive_c.
std::set<std::string> twoLevels(const fs::path& driveC) {
  std::set<std::string> names;
  for (const auto& top : fs::directory_iterator(driveC)) {
    const std::string name = top.path().filename();
    names.insert(name);
    if (!top.is_directory()) continue;
    for (const auto& inner : fs::directory_iterator(top.path())) {
      names.insert(name + "/" + inner.path().filename().string());
    }
  }
  return names;
}

bool readOnly(const fs::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

sample::TreeFile fileOf(const fs::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) throw std::runtime_error("cannot stat " + path.string());
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return {std::move(bytes), st.st_mtime, (st.st_mode & S_IWUSR) == 0};
}

}  // namespace

WineMachine::WineMachine() {
  m_prefix = (fs::temp_directory_path() / "brevan-wine-XXXXXX").string();
  if (::mkdtemp(m_prefix.data()) == nullptr) throw std::runtime_error("no prefix folder");
  const char* program = std::getenv("BREVAN_WINDOWS_PROGRAM");
  if (program == nullptr || !fs::exists(program)) {
    throw std::runtime_error("BREVAN_WINDOWS_PROGRAM names no program");
  }
  m_program = program;
  m_display = std::make_unique<XDisplay>();
  if (!commandOutput({"bash", E2E_WINE_PREFIX_SCRIPT, "create", m_prefix},
                     {{"DISPLAY", m_display->name()}})) {
    throw std::runtime_error("no Wine prefix in " + m_prefix);
  }
  // Wine puts the temporary folder below the user's profile; the sample keeps it at C:\TEMP.
  for (const char* name : {"TEMP", "TMP"}) {
    wine({"reg", "add", "HKCU\\Environment", "/v", name, "/t", "REG_SZ", "/d", "C:\\TEMP", "/f"});
  }
  m_windowsOwn = twoLevels(driveC());
}

WineMachine::~WineMachine() {
  (void)commandOutput({"bash", E2E_WINE_PREFIX_SCRIPT, "remove", m_prefix});  // best effort
  m_display.reset();
}

void WineMachine::wine(const std::vector<std::string>& args) const {
  std::vector<std::string> argv{kWine};
  argv.insert(argv.end(), args.begin(), args.end());
  if (!commandOutput(argv, environment())) {
    throw std::runtime_error("wine64 " + args.at(0) + " " + args.at(1) + " failed");
  }
}

void WineMachine::install(const std::string& machine) {
  // What an earlier run left goes first: everything Wine's fresh prefix did not hold.
  for (const std::string& name : twoLevels(driveC())) {
    if (!m_windowsOwn.count(name)) fs::remove_all(driveC() + "/" + name);
  }
  // The sample's top folders land on Wine's where only the letter case differs (C:\windows).
  for (const auto& top : fs::directory_iterator(machine + "/drive_c")) {
    std::string target = top.path().filename();
    for (const auto& own : fs::directory_iterator(driveC())) {
      if (platform::ascii::equalsIgnoreCase(own.path().filename().string(), target)) {
        target = own.path().filename();
      }
    }
    fs::create_directories(driveC() + "/" + target);
    if (!commandOutput({"cp", "-a", top.path().string() + "/.", driveC() + "/" + target})) {
      throw std::runtime_error("cannot copy " + top.path().string() + " into the prefix");
    }
  }
  wine({"reg", "import", machine + "/registry.reg", "/reg:32"});
}

sample::Tree WineMachine::sampleTree() const {
  sample::Tree tree;
  for (const auto& top : fs::directory_iterator(driveC())) {
    const std::string name = top.path().filename();
    // The sample machine writes C:\windows as WINDOWS.
    const std::string shown = name == "windows" ? "WINDOWS" : name;
    const bool own = m_windowsOwn.count(name) != 0;
    std::vector<fs::path> parts;
    if (!own) parts.push_back(top.path());
    if (own && top.is_directory()) {
      for (const auto& inner : fs::directory_iterator(top.path())) {
        if (!m_windowsOwn.count(name + "/" + inner.path().filename().string())) {
          parts.push_back(inner.path());
        }
      }
    }
    for (const fs::path& part : parts) {
      const std::string rel = shown + fs::path(part).string().substr(top.path().string().size());
      if (fs::is_directory(part)) {
        const sample::Tree inner = sample::scanTree(part);
        for (const auto& [path, file] : inner.files) tree.files[rel + "/" + path] = file;
        for (const auto& [path, ro] : inner.folders) tree.folders[rel + "/" + path] = ro;
        tree.folders[rel] = readOnly(part);
      } else {
        tree.files[rel] = fileOf(part);
      }
      tree.folders[shown] = readOnly(top.path());
    }
  }
  return tree;
}

std::vector<std::string> WineMachine::command(const std::string& program) const {
  return {kWine, program.empty() ? m_program : program};
}

std::map<std::string, std::string> WineMachine::environment() const {
  return {{"WINEPREFIX", m_prefix}, {"WINEDEBUG", "-all"}, {"DISPLAY", m_display->name()},
          {"TZ", "Asia/Tokyo"},     {"http_proxy", ""},    {"HTTP_PROXY", ""},
          {"ALL_PROXY", ""}};
}

}  // namespace e2e
