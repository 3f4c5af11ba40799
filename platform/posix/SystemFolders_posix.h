// The Windows and temporary folders of the machine folder.
#pragma once

#include <optional>
#include <string>

#include "platform/SystemFolders.h"
#include "platform/posix/MachineFolder.h"

namespace platform::posix {

// The Windows directory is "C:\WINDOWS" and the temporary folder "C:\TEMP\" on every machine
// folder (the environment's TMP and TEMP do not move them).
class PosixSystemFolders final : public SystemFolders {
 public:
  explicit PosixSystemFolders(const MachineFolder& machine);

  std::optional<std::string> windowsDirectory() override;
  std::string tempPath() override;
  // The path with every component that exists in the case it has on disk; components past the
  // first missing one keep the case given. nullopt for a path off every drive.
  std::optional<std::string> longPathName(const std::string& path) override;
  // The machine folder keeps no short names.
  std::optional<std::string> shortPathName(const std::string&) override { return std::nullopt; }

 private:
  const MachineFolder& m_machine;
};

}  // namespace platform::posix
