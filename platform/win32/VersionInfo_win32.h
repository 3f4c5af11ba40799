// The fixed version information of a Windows program file, from the system's version calls.
#pragma once

#include <optional>
#include <string>

#include "platform/VersionInfo.h"

namespace platform::win32 {

// GetFileVersionInfoW and VerQueryValueW on "\". A missing file, one that cannot be read and one
// without version information give nullopt.
class Win32VersionInfo final : public VersionInfo {
 public:
  std::optional<FixedFileVersion> fileVersion(const std::string& path) override;
};

}  // namespace platform::win32
