// Where the machine keeps Windows and temporary files.
#pragma once

#include <optional>
#include <string>

namespace platform {

class SystemFolders {
 public:
  virtual ~SystemFolders() = default;
  // The Windows directory (GetWindowsDirectory); nullopt when the call fails.
  virtual std::optional<std::string> windowsDirectory() = 0;
  // The temporary folder (GetTempPath), normally ending in '\'.
  virtual std::string tempPath() = 0;
  // Long form of a path (GetLongPathName); nullopt when there is no such service or it fails.
  virtual std::optional<std::string> longPathName(const std::string& path) = 0;
  // Short (8.3) form of an existing path (GetShortPathName), whose names are plain ASCII where
  // the volume keeps short names; nullopt when there is none.
  virtual std::optional<std::string> shortPathName(const std::string& path) = 0;
};

}  // namespace platform
