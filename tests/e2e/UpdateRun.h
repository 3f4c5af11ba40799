// One real update: the sample release on the update mirror, a fresh sample machine, a private X
// display and the real brevan-update program on it, driven like a user drives it.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/WindowDesign.h"
#include "tests/e2e/ChildProcess.h"
#include "tests/e2e/WineMachine.h"
#include "tests/e2e/XDisplay.h"
#include "tools/sample-release/SampleMachine.h"
#include "tools/update-mirror/UpdateMirror.h"

namespace e2e {

inline constexpr int kClientWidth = app::kMainForm.clientWidth;
inline constexpr int kClientHeight = app::kMainForm.clientHeight;
inline const std::string kCaption{app::kMainForm.caption};

class UpdateRun {
 public:
  // `name` names the run's screenshot folder. With `wine`, the Windows program runs in that
  // prefix and on its display; else the Linux program on a display of the run's own. The
  // machine's proxy is the run's own update mirror, serving `release` (the sample release when
  // empty), or the proxy on `proxyPort` of 127.0.0.1 when one is given (then the run has no
  // mirror). Throws std::runtime_error when a part cannot start.
  explicit UpdateRun(const std::string& name, WineMachine* wine = nullptr, uint16_t proxyPort = 0,
                     const std::string& release = {});
  UpdateRun(const std::string& name, WineMachine* wine, const std::string& release)
      : UpdateRun(name, wine, 0, release) {}
  ~UpdateRun();

  // Only for a run on its own mirror.
  mirror::UpdateMirror& mirror() { return *m_mirror; }
  XDisplay& display() { return *m_display; }
  // drive C: of the machine the program updates.
  std::string driveC() const;
  // The sample's files and folders of drive C: as they are now.
  sample::Tree installedTree() const;
  const std::string& shotFolder() const { return m_shots; }
  uint16_t port() const { return m_port; }

  // Starts brevan-update (or the Windows `program` under Wine) on the display, with the machine
  // and the time zone set.
  void startProgram(const std::string& program = {});
  ChildProcess& program() { return *m_program; }

  // A box or window with the title that appears within `limit`; 0 when none did.
  unsigned long waitForTitle(const std::string& title, std::chrono::milliseconds limit);
  // Waits until the window is no longer shown; false after `limit`.
  bool waitUntilGone(unsigned long window, std::chrono::milliseconds limit);
  // The update window itself, not one of its boxes.
  unsigned long waitForWindow(std::chrono::milliseconds limit);
  // Whether the window is the update window, told from its boxes (which share its title) by
  // its size.
  bool isUpdateWindow(unsigned long window);
  // The window's client area on the screen.
  Rect clientArea(unsigned long window);
  // A point of the window's client area, on the screen.
  void clickClient(unsigned long window, int x, int y);
  // Clicks the tick box of a standard (two columns of eleven rows).
  void clickTick(unsigned long window, int item);
  // The screen cut to the window, saved as <shotFolder>/<file>.
  void shot(const std::string& file, unsigned long window);
  // The screen pixels of a client-area rectangle of the window.
  std::vector<uint32_t> clientPixels(unsigned long window, const Rect& client);
  // The request targets the mirror has received, in order (none for a run without a mirror).
  // WinINet writes the default port into an absolute-form target ("host:80/"); the Windows
  // program's targets are given without it, so that both programs' targets compare alike.
  std::vector<std::string> requests();
  // Waits until the mirror has received a request for the name; false after `limit` (at once
  // without a mirror).
  bool waitForRequest(const std::string& name, std::chrono::milliseconds limit);
  // "; shown: 【Brevan】…, 情報" for failure messages.
  std::string shownWindows();

 private:
  std::string m_root, m_prefix, m_shots;
  std::unique_ptr<mirror::UpdateMirror> m_mirror;
  uint16_t m_port = 0;
  WineMachine* m_wine = nullptr;
  std::unique_ptr<XDisplay> m_ownDisplay;
  XDisplay* m_display = nullptr;
  std::unique_ptr<ChildProcess> m_program;
};

// The request targets the program sends through the mirror as its proxy for one pass, in
// order: "http://update.valtern.jp/brevan/v128/" and the name as CP932 bytes.
std::vector<std::string> expectedRequests(int pass, const sample::Ticks& ticks);

}  // namespace e2e
