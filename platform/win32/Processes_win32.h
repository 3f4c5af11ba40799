// Programs started with CreateProcessW and polled without blocking.
#pragma once

#include <memory>
#include <string>

#include "platform/Processes.h"
#include "platform/Status.h"

namespace platform::win32 {

// The command line goes to CreateProcessW as it stands (no application name), so the system
// finds the program as it does for any command line: the program's folder, the current folder,
// the system folders, PATH. The child inherits the environment and the current folder and no
// handles. nullptr, with the system's code in LastError, when it cannot start.
class Win32Processes final : public Processes {
 public:
  explicit Win32Processes(LastError& lastError);
  std::unique_ptr<Process> start(const std::string& commandLine) override;

 private:
  LastError& m_lastError;
};

}  // namespace platform::win32
