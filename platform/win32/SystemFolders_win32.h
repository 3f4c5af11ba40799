// The Windows and temporary folders of the machine, and the long form of a path.
#pragma once

#include <optional>
#include <string>

#include "platform/SystemFolders.h"

namespace platform::win32 {

// GetWindowsDirectoryW, GetTempPathW (which follows TMP and TEMP) and GetLongPathNameW, in
// UTF-8. longPathName fails (nullopt) for a path that does not exist.
class Win32SystemFolders final : public SystemFolders {
 public:
  std::optional<std::string> windowsDirectory() override;
  std::string tempPath() override;
  std::optional<std::string> longPathName(const std::string& path) override;
  std::optional<std::string> shortPathName(const std::string& path) override;
};

}  // namespace platform::win32
