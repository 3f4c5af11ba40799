// The Windows and temporary folders of the machine folder, and the long form of a path.
#include "platform/posix/SystemFolders_posix.h"

#include "platform/posix/WindowsPath.h"

namespace platform::posix {

PosixSystemFolders::PosixSystemFolders(const MachineFolder& machine) : m_machine(machine) {}

std::optional<std::string> PosixSystemFolders::windowsDirectory() { return "C:\\WINDOWS"; }

std::string PosixSystemFolders::tempPath() { return "C:\\TEMP\\"; }

std::optional<std::string> PosixSystemFolders::longPathName(const std::string& path) {
  auto parsed = parseDrivePath(path);
  if (!parsed) return std::nullopt;
  const auto native = m_machine.nativePath(path);
  if (!native) return std::nullopt;
  // The native path names the same components, in their on-disk case, after the drive folder.
  DrivePath onDisk = *parsed;
  size_t end = native->size();
  for (size_t i = onDisk.components.size(); i-- > 0;) {
    size_t slash = native->rfind('/', end - 1);
    onDisk.components[i] = native->substr(slash + 1, end - slash - 1);
    end = slash;
  }
  return drivePathText(onDisk);
}

}  // namespace platform::posix
