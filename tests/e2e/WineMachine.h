// A Wine prefix that holds the sample machine for the Windows program, on its own X display.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/XDisplay.h"
#include "tools/sample-release/Tree.h"

namespace e2e {

class WineMachine {
 public:
  // Starts the display, then makes a prefix in a new temporary folder on it (its services keep the
  // display they start with) with the temporary folder at C:\TEMP, where the sample machine keeps
  // it. Throws std::runtime_error when a part does not come up or no program is named.
  WineMachine();
  // Stops the prefix's server and deletes the prefix.
  ~WineMachine();
  WineMachine(const WineMachine&) = delete;
  WineMachine& operator=(const WineMachine&) = delete;

  XDisplay& display() { return *m_display; }
  std::string driveC() const { return m_prefix + "/drive_c"; }

  // Replaces the sample's parts of the prefix with the machine folder `machine` (its drive_c
  // and registry.reg, imported into the 32-bit view where the program reads it).
  void install(const std::string& machine);
  // The sample's parts of drive_c as the sample machine names them ("WINDOWS/…"), without
  // Wine's own files.
  sample::Tree sampleTree() const;

  // The command and environment that run the Windows program (named by the environment's
  // BREVAN_WINDOWS_PROGRAM, with UNLHA32.DLL beside it, or the given one beside it) in the
  // prefix.
  std::vector<std::string> command(const std::string& program = {}) const;
  std::map<std::string, std::string> environment() const;

 private:
  void wine(const std::vector<std::string>& args) const;

  std::unique_ptr<XDisplay> m_display;
  std::string m_prefix, m_program;
  std::set<std::string> m_windowsOwn;  // Wine's own names in C:\windows
};

}  // namespace e2e
