// A window on a machine folder whose settings point the proxy at a real loopback update mirror.
#include "tests/download/DownloadFixture.h"

#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "download/FileTables.h"
#include "tools/update-mirror/MirrorRequest.h"

namespace fs = std::filesystem;
using platform::Control;

namespace test {
namespace {

// In memory where the system offers it: the release has hundreds of files, and every test
// program makes it anew.
std::string makeReleaseFolder() {
  std::error_code error;
  fs::path base = fs::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0
                      ? fs::path("/dev/shm")
                      : fs::temp_directory_path();
  std::string pattern = (base / "brevan-release-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

void writeFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

template <size_t N>
void addNames(std::vector<std::string>& out, const std::array<std::string_view, N>& names) {
  out.insert(out.end(), names.begin(), names.end());
}

template <size_t Cells>
void addRow(std::vector<std::string>& out, const download::StandardTable<Cells>& rows, size_t row) {
  for (std::string_view name : rows[row]) {
    if (name.empty()) break;
    out.emplace_back(name);
  }
}

}  // namespace

uint16_t closedPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    throw std::runtime_error("no loopback port");
  }
  ::close(fd);  // bound but never listening, and now closed: connections are refused
  return ntohs(address.sin_port);
}

std::string contentOf(const std::string& name) {
  if (name == download::CommonFiles1[0]) return std::string(kFirstFileSize, 'P');
  std::string text = "release file " + name + "\r\n";
  return text + std::string(name.size() % 7, '.');
}

namespace {

// The release folder is the same for every test and costs hundreds of file creations: made once
// per test program, removed at its end.
class SharedRelease {
 public:
  SharedRelease() : m_folder(makeReleaseFolder()) {
    std::vector<std::string> names;
    addNames(names, download::CommonFiles1);
    addNames(names, download::CommonFiles2);
    for (size_t row = 0; row < 22; ++row) {
      addRow(names, download::StandardFiles1, row);
      addRow(names, download::StandardFiles2, row);
    }
    // Both passes' paths serve the same files.
    for (const auto& name : names) {
      writeFile(fs::path(m_folder) / "brevan" / "v128" / name, contentOf(name));
    }
    fs::create_directory_symlink("v128", fs::path(m_folder) / "brevan" / "20251299");
  }
  ~SharedRelease() {
    std::error_code error;
    fs::remove_all(m_folder, error);
  }
  SharedRelease(const SharedRelease&) = delete;
  SharedRelease& operator=(const SharedRelease&) = delete;
  const std::string& folder() const { return m_folder; }

 private:
  std::string m_folder;
};

const std::string& sharedRelease() {
  static SharedRelease release;
  return release.folder();
}

}  // namespace

DownloadTest::DownloadTest() : m_release(sharedRelease()) {
  m_mirror =
      std::make_unique<mirror::UpdateMirror>(mirror::UpdateMirror::Options{m_release, 0, ""});
  m_mirror->start();
}

DownloadTest::~DownloadTest() {
  // The window goes first: its components may hold connections to the mirror.
  form.reset();
  m_mirror.reset();
}

void DownloadTest::putTwoFolderInstallation(int major, int minor, int build, int revision) {
  machine.put(std::string(kRoot) + "NEW_BIN\\Plugin\\keep.txt", "x");
  machine.put(std::string(kRoot) + "OLD_BIN\\PICTDESK.INI", "[Setting]\r\n");
  machine.put(std::string(kRoot) + "OLD_BIN\\Plugin\\keep.txt", "x");
  if (major >= 0) {
    putProgram(std::string(kRoot) + "OLD_BIN\\pictdesk.exe", static_cast<uint16_t>(major),
               static_cast<uint16_t>(minor), static_cast<uint16_t>(build),
               static_cast<uint16_t>(revision));
  }
}

TMainForm& DownloadTest::openWindow(const std::vector<int>& ticked) {
  return openWindowWithProxyPort(m_mirror->port(), ticked);
}

TMainForm& DownloadTest::openWindowWithProxyPort(uint16_t port, const std::vector<int>& ticked) {
  putSettings(kRoot, "127.0.0.1", std::to_string(port));
  create();
  for (int i = 0; i < view.itemCount(); ++i) view.setChecked(i, false);
  for (int i : ticked) view.setChecked(i, true);
  view.events->onActivate();
  view.messages.clear();  // the start-up notice
  return *form;
}

std::vector<std::string> DownloadTest::requests() const {
  std::vector<std::string> out;
  for (const auto& raw : m_mirror->requestLog()) {
    size_t at = raw.find("/brevan/");
    auto text = mirror::cp932ToUtf8(raw);
    out.push_back(at == std::string::npos || !text ? raw
                                                   : text->substr(text->find("/brevan/") + 8));
  }
  return out;
}

size_t DownloadTest::requestsUnder(const std::string& passPath) const {
  size_t count = 0;
  for (const auto& r : requests()) count += r.rfind(passPath + "/", 0) == 0 ? 1 : 0;
  return count;
}

std::vector<std::string> DownloadTest::expectedList(bool firstPass,
                                                    const std::vector<int>& ticked) {
  std::vector<std::string> out;
  if (firstPass) {
    addNames(out, download::CommonFiles1);
  } else {
    addNames(out, download::CommonFiles2);
  }
  for (int item = 0; item < 22; ++item) {
    if (std::find(ticked.begin(), ticked.end(), item) == ticked.end()) continue;
    if (firstPass) {
      addRow(out, download::StandardFiles1, static_cast<size_t>(item));
    } else {
      addRow(out, download::StandardFiles2, static_cast<size_t>(item));
    }
  }
  return out;
}

bool DownloadTest::unpressStarted(int pass) const {
  std::string text = "アップデートコンポーネント(" + std::to_string(pass) + ")の展開...";
  auto it = view.captionHistory.find(Control::MsgLabel);
  if (it == view.captionHistory.end()) return false;
  return std::find(it->second.begin(), it->second.end(), text) != it->second.end();
}

void DownloadTest::mark() {
  auto msg = view.captionHistory.find(Control::MsgLabel);
  auto progress = view.captionHistory.find(Control::ProgressLabel);
  m_msgMark = msg == view.captionHistory.end() ? 0 : msg->second.size();
  m_progressMark = progress == view.captionHistory.end() ? 0 : progress->second.size();
}

std::vector<std::string> DownloadTest::msgSinceMark() const {
  auto it = view.captionHistory.find(Control::MsgLabel);
  if (it == view.captionHistory.end()) return {};
  return {it->second.begin() + static_cast<std::ptrdiff_t>(m_msgMark), it->second.end()};
}

std::vector<std::string> DownloadTest::progressSinceMark() const {
  auto it = view.captionHistory.find(Control::ProgressLabel);
  if (it == view.captionHistory.end()) return {};
  return {it->second.begin() + static_cast<std::ptrdiff_t>(m_progressMark), it->second.end()};
}

void DownloadTest::expectIdle() const {
  EXPECT_TRUE(view.isVisible(Control::DownLoadButton));
  EXPECT_TRUE(view.isWindowEnabled());
  EXPECT_TRUE(view.isEnabled(Control::CheckListBox1));
}

}  // namespace test
