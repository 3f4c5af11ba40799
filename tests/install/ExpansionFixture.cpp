// An expansion run's test bench: installation, window, binding and the downloads of a pass.
#include "tests/install/ExpansionFixture.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "download/FileTables.h"

namespace fs = std::filesystem;

namespace test {

namespace {

std::string readNative(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void writeNative(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void appendRow(std::vector<std::string>& list, std::span<const std::string_view> row) {
  for (std::string_view name : row) {
    if (!name.empty()) list.emplace_back(name);
  }
}

}  // namespace

void ExpansionTest::SetUp() {
  // A missing tool fails the tests: they would otherwise pass without checking anything.
  ASSERT_STRNE(MSCOMPRESS_PROGRAM, "") << "mscompress (Debian mscompress) missing";
  // The library finds the machine's drives through the prefix, as the program's own does.
  ::setenv("BREVAN_PREFIX", machine.prefix().c_str(), 1);
  machine.put("C:\\WINDOWS\\DARADURA.INI",
              "PROXYIP=\r\nPROXYPORT=0\r\nPATH=C:\\B\\\r\nVER=1.0.0\r\n");
  fs::create_directories(machine.native("C:\\B\\NEW_BIN") + "/Plugin");
  fs::create_directories(machine.native("C:\\B\\OLD_BIN") + "/Plugin");
  fs::create_directories(machine.native("C:\\TEMP"));
  createForm(UNLHA32_FOLDER);
}

void ExpansionTest::createForm(const std::string& libraryFolder) {
  form.reset();
  lha.reset();
  libraries = std::make_unique<platform::posix::DlLibraries>(libraryFolder);
  lha = std::make_unique<LhaBinding>(*libraries,
                                     [this](const std::string& caption, const std::string& text) {
                                       (void)view.messageBox(platform::MessageKind::Error, caption,
                                                             text, platform::MessageButtons::Ok);
                                     });
  form = std::make_unique<TMainForm>(view, machine.services(), lha.get());
  ASSERT_FALSE(form->terminated());
  ASSERT_TRUE(form->WorkList);
  view.messages.clear();
  view.captionHistory.clear();
  view.progressHistory.clear();
  view.processCount = 0;
}

void ExpansionTest::preparePassTwo(const std::vector<int>& rows) {
  auto& list = *form->WorkList;
  list.clear();
  appendRow(list, download::CommonFiles2);
  for (int row : rows) appendRow(list, download::StandardFiles2[row]);
  form->FirstPass = false;
  form->InstallPath = kNewBin;
  form->WorkPath = workPath = kWork2;
}

void ExpansionTest::preparePassOne(const std::vector<int>& rows) {
  auto& list = *form->WorkList;
  list.clear();
  appendRow(list, download::CommonFiles1);
  for (int row : rows) appendRow(list, download::StandardFiles1[row]);
  form->FirstPass = true;
  form->InstallPath = kOldBin;
  form->WorkPath = workPath = kWork1;
}

std::string ExpansionTest::contentOf(const std::string& entry) {
  std::string bytes;
  for (int line = 0; line < 40; ++line) {
    bytes += entry + " build 2.5.3.0 line " + std::to_string(line) + "\r\n";
  }
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

std::string ExpansionTest::fixture(const std::string& relativePath) {
  return readNative(fs::path(FIXTURES) / fs::path(relativePath));
}

void ExpansionTest::stageDownloads() {
  const fs::path work = machine.native(workPath.substr(0, workPath.size() - 1));
  const fs::path staging = machine.prefix() + "/staging";
  fs::create_directories(work);
  fs::remove_all(staging);
  fs::create_directories(staging);
  // One mscompress run for all entries; each source gets a plain name, renamed afterwards.
  std::string command = "cd '" + staging.string() + "' && '" MSCOMPRESS_PROGRAM "'";
  std::vector<std::pair<std::string, std::string>> renames;
  const auto& list = *form->WorkList;
  for (size_t i = 0; i < list.size(); ++i) {
    const std::string& entry = list[i];
    const fs::path target = work / fs::path(entry);
    if (auto it = raw.find(entry); it != raw.end()) {
      if (it->second) writeNative(target, *it->second);
      continue;
    }
    std::string upper = entry;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (upper.size() > 4 && upper.substr(upper.size() - 4) == ".LZH") {
      const std::string stem = entry.substr(0, entry.size() - 4);
      writeNative(target, fixture((stem == "ヘルプ" ? std::string("HELP") : stem) + ".lzh"));
      continue;
    }
    const std::string source = "k" + std::to_string(i);
    writeNative(staging / source,
                upper == "MERGEHELP.IN_" ? fixture("MERGEHELP.INI") : contentOf(entry));
    command += " " + source;
    renames.emplace_back(source + "_", target.string());
  }
  if (!renames.empty()) {
    command += " >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const auto& [from, to] : renames) fs::rename(staging / from, to);
  }
  fs::remove_all(staging);
}

std::string ExpansionTest::compress(const std::string& bytes) {
  const fs::path staging = machine.prefix() + "/staging-one";
  fs::create_directories(staging);
  writeNative(staging / "one", bytes);
  std::string command = "cd '" + staging.string() + "' && '" MSCOMPRESS_PROGRAM "' one >/dev/null";
  if (std::system(command.c_str()) != 0) ADD_FAILURE() << command;
  std::string out = readNative(staging / "one_");
  fs::remove_all(staging);
  return out;
}

std::vector<std::string> ExpansionTest::listing(const std::string& windowsFolder) const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(machine.native(windowsFolder))) {
    names.push_back(entry.path().filename().string() + (entry.is_directory() ? "/" : ""));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> ExpansionTest::tree(const std::string& windowsFolder) const {
  const fs::path root = machine.native(windowsFolder);
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_directory()) files.push_back(fs::relative(entry.path(), root).string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::time_t ExpansionTest::mtimeOf(const std::string& windowsPath) const {
  struct stat st {};
  if (::stat(machine.native(windowsPath).c_str(), &st) != 0) return -1;
  return st.st_mtime;
}

bool ExpansionTest::isReadOnly(const std::string& windowsPath) const {
  struct stat st {};
  if (::stat(machine.native(windowsPath).c_str(), &st) != 0) return false;
  return (st.st_mode & S_IWUSR) == 0;
}

std::vector<std::string> ExpansionTest::texts() const {
  std::vector<std::string> out;
  for (const auto& m : view.messages) out.push_back(m.text);
  return out;
}

}  // namespace test
