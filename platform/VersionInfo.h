// The fixed version information (VS_FIXEDFILEINFO) of a Windows program file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct FixedFileVersion {
  uint32_t fileVersionMS = 0;
  uint32_t fileVersionLS = 0;
};

class VersionInfo {
 public:
  virtual ~VersionInfo() = default;
  // nullopt for a missing file, one that cannot be read, or one without version information.
  virtual std::optional<FixedFileVersion> fileVersion(const std::string& path) = 0;
};

}  // namespace platform
