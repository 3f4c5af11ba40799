// A window on a machine folder whose settings point the proxy at a real loopback update mirror.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/app/WindowFixture.h"
#include "tools/update-mirror/UpdateMirror.h"

namespace test {

inline constexpr const char* kReadyText =
    "[アップデート開始]をクリックして作業を開始してください。";
inline constexpr const char* kRoot = "C:\\Brevan\\";

// Contents the mirror serves for a table name: a few dozen bytes that differ per name, except
// the first name, which is kFirstFileSize bytes long.
inline constexpr size_t kFirstFileSize = 1000;
std::string contentOf(const std::string& name);

class DownloadTest : public WindowTest {
 protected:
  // Starts a mirror of its own on the release folder, which holds every name of the four tables
  // under both pass paths (made once per test program, in memory where possible).
  DownloadTest();
  ~DownloadTest() override;

  // An installation already in the two-folder layout; the old program has the given version
  // (none when major < 0).
  void putTwoFolderInstallation(int major, int minor = 0, int build = 0, int revision = 0);
  // Settings naming kRoot, with the proxy at the mirror (or at the given port), then the
  // window, activated, with only the given standards ticked.
  TMainForm& openWindow(const std::vector<int>& ticked = {0, 1});
  TMainForm& openWindowWithProxyPort(uint16_t port, const std::vector<int>& ticked = {0, 1});
  void press() { view.events->onDownLoadClick(); }

  // The request targets the mirror received, as UTF-8 file names per pass path: "v128/NAME" or
  // "20251299/NAME"; anything else as it came.
  std::vector<std::string> requests() const;
  size_t requestsUnder(const std::string& passPath) const;
  // Expected work list of a pass for the ticked standards.
  static std::vector<std::string> expectedList(bool firstPass, const std::vector<int>& ticked);
  // True once the expansion run of the pass began (its caption appeared).
  bool unpressStarted(int pass) const;
  // Texts of MsgLabel / ProgressLabel set since the last mark().
  void mark();
  std::vector<std::string> msgSinceMark() const;
  std::vector<std::string> progressSinceMark() const;
  // The window is idle: start button shown, window and list enabled.
  void expectIdle() const;

  std::string m_release;  // shared by all tests: never written by one
  std::unique_ptr<mirror::UpdateMirror> m_mirror;

 private:
  size_t m_msgMark = 0;
  size_t m_progressMark = 0;
};

// A loopback port on which nothing listens.
uint16_t closedPort();

}  // namespace test
