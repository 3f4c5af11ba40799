// The parts of a real update run, each started here and stopped again by its owner.
#include "tests/e2e/UpdateRun.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "download/FileTables.h"
#include "tools/sample-release/Cp932.h"

namespace e2e {

namespace fs = std::filesystem;

namespace {

// The window's standards list: two columns of eleven rows, 13 pixels each, inside a 2-pixel
// frame at (8, 40); the tick box sits at the left of each row.
// Wine draws the frame of its windows itself (no window manager): a border of a few pixels
// left, right and below, the caption and the menu bar above the client area. On Linux the X
// window is the client area and the menu bar.
constexpr int kMaxBorder = 8;
constexpr int kListLeft = 8 + 2, kListTop = 40 + 2, kRowHeight = 13, kColumnWidth = 485 / 2;

}  // namespace

UpdateRun::UpdateRun(const std::string& name, WineMachine* wine, uint16_t proxyPort,
                     const std::string& release)
    : m_port(proxyPort), m_wine(wine) {
  std::string root = (fs::temp_directory_path() / "brevan-e2e-XXXXXX").string();
  if (::mkdtemp(root.data()) == nullptr) throw std::runtime_error("no scratch folder");
  m_root = root;
  m_prefix = m_root + "/machine";
  m_shots = std::string(E2E_SCREENSHOT_DIR) + "/" + name;
  fs::remove_all(m_shots);
  fs::create_directories(m_shots);

  if (m_port == 0) {
    m_mirror = std::make_unique<mirror::UpdateMirror>(mirror::UpdateMirror::Options{
        release.empty() ? E2E_RELEASE_DIR : release, 0, m_root + "/mirror.log"});
    m_port = m_mirror->start();
  }
  sample::writeSampleMachine(m_prefix, "127.0.0.1", m_port);
  if (m_wine) {
    m_wine->install(m_prefix);
    m_display = &m_wine->display();
  } else {
    m_ownDisplay = std::make_unique<XDisplay>();
    m_display = m_ownDisplay.get();
  }
}

UpdateRun::~UpdateRun() {
  m_program.reset();
  m_ownDisplay.reset();
  if (m_mirror) m_mirror->stop();
  std::error_code ignored;
  fs::remove_all(m_root, ignored);
}

std::string UpdateRun::driveC() const { return m_wine ? m_wine->driveC() : m_prefix + "/drive_c"; }

sample::Tree UpdateRun::installedTree() const {
  return m_wine ? m_wine->sampleTree() : sample::scanTree(driveC());
}

void UpdateRun::startProgram(const std::string& program) {
  if (m_wine) {
    auto env = m_wine->environment();
    m_program =
        std::make_unique<ChildProcess>(m_wine->command(program), env, m_shots + "/program.log");
    return;
  }
  m_program = std::make_unique<ChildProcess>(
      std::vector<std::string>{BREVAN_UPDATE_PROGRAM},
      std::map<std::string, std::string>{
          {"DISPLAY", m_display->name()},
          {"BREVAN_PREFIX", m_prefix},
          {"TZ", "Asia/Tokyo"},
          // The window on the X display, not on the test suite's offscreen platform.
          {"QT_QPA_PLATFORM", "xcb"},
          // The program then points fontconfig at its own alias file.
          {"FONTCONFIG_FILE", ""},
          {"http_proxy", ""},
          {"HTTP_PROXY", ""},
          {"ALL_PROXY", ""},
          // Sanitizer builds: leaks of the system libraries behind the window are not ours.
          {"LSAN_OPTIONS", "suppressions=" E2E_LSAN_SUPPRESSIONS ":print_suppressions=0"}},
      m_shots + "/program.log");
}

unsigned long UpdateRun::waitForTitle(const std::string& title, std::chrono::milliseconds limit) {
  return m_display->waitForWindow(title, limit);
}

bool UpdateRun::waitUntilGone(unsigned long window, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (m_display->isShown(window)) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

unsigned long UpdateRun::waitForWindow(std::chrono::milliseconds limit) {
  return m_display->waitForWindow(kCaption, limit,
                                  [this](unsigned long w) { return isUpdateWindow(w); });
}

bool UpdateRun::isUpdateWindow(unsigned long window) {
  const Rect r = m_display->geometry(window);
  return r.width >= kClientWidth && r.width <= kClientWidth + 2 * kMaxBorder &&
         r.height > kClientHeight;
}

Rect UpdateRun::clientArea(unsigned long window) {
  const Rect r = m_display->geometry(window);
  const int border = (r.width - kClientWidth) / 2;
  return {r.x + border, r.y + r.height - border - kClientHeight, kClientWidth, kClientHeight};
}

void UpdateRun::clickClient(unsigned long window, int x, int y) {
  const Rect c = clientArea(window);
  m_display->click(c.x + x, c.y + y);
}

void UpdateRun::clickTick(unsigned long window, int item) {
  const int column = item / 11, row = item % 11;
  clickClient(window, kListLeft + column * kColumnWidth + 10, kListTop + row * kRowHeight + 6);
}

void UpdateRun::shot(const std::string& file, unsigned long window) {
  (void)m_display->screenshot(m_shots + "/" + file, m_display->geometry(window));  // optional
}

std::vector<uint32_t> UpdateRun::clientPixels(unsigned long window, const Rect& client) {
  const Rect c = clientArea(window);
  return m_display->pixels({c.x + client.x, c.y + client.y, client.width, client.height});
}

std::vector<std::string> UpdateRun::requests() {
  if (!m_mirror) return {};
  std::vector<std::string> targets = m_mirror->requestLog();
  if (!m_wine) return targets;
  for (std::string& target : targets) {
    const size_t path = target.find('/', std::string("http://").size());
    if (path != std::string::npos && path >= 3 && target.compare(path - 3, 3, ":80") == 0) {
      target.erase(path - 3, 3);
    }
  }
  return targets;
}

bool UpdateRun::waitForRequest(const std::string& name, std::chrono::milliseconds limit) {
  if (!m_mirror) return false;
  const std::string wanted = "/" + sample::toCp932(name);
  const auto end = std::chrono::steady_clock::now() + limit;
  do {
    for (const std::string& target : m_mirror->requestLog()) {
      if (target.size() >= wanted.size() &&
          target.compare(target.size() - wanted.size(), wanted.size(), wanted) == 0) {
        return true;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  } while (std::chrono::steady_clock::now() < end);
  return false;
}

std::string UpdateRun::shownWindows() {
  std::string text = "; shown:";
  for (const std::string& title : m_display->shownTitles()) text += " [" + title + "]";
  return text + "; screenshots and program output in " + m_shots;
}

std::vector<std::string> expectedRequests(int pass, const sample::Ticks& ticks) {
  const std::string base = pass == 1 ? download::kBaseAddress1 : download::kBaseAddress2;
  std::vector<std::string> targets;
  for (const std::string& name : sample::workList(pass, ticks)) {
    targets.push_back(base + sample::toCp932(name));
  }
  return targets;
}

}  // namespace e2e
