// Programs of the machine folder started as CreateProcess starts them.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Processes.h"
#include "platform/posix/MachineFolder.h"

namespace platform::posix {

// The command line's program is a Windows path mapped through the machine folder; a relative
// one is looked for in "C:\" (the current folder), then in "C:\WINDOWS\SYSTEM32" and
// "C:\WINDOWS". The arguments are split as the C runtime splits them and passed unchanged (they
// are not mapped: only the program knows which of them are paths). A program that cannot run
// here gives nullptr: missing, a folder, without execute permission, a Windows executable
// ("MZ"), or refused by the system. The child inherits the environment and the current folder.
class PosixProcesses final : public Processes {
 public:
  explicit PosixProcesses(const MachineFolder& machine);
  std::unique_ptr<Process> start(const std::string& commandLine) override;

 private:
  std::optional<std::string> findProgram(const std::string& program) const;

  const MachineFolder& m_machine;
};

}  // namespace platform::posix
