// Version information of the machine's files, from their PE version resources.
#pragma once

#include <optional>
#include <string>

#include "platform/FileSystem.h"
#include "platform/VersionInfo.h"

namespace platform::posix {

// Reads the file through the file system and parses it with readPeFileVersion. A missing or
// unreadable file, a folder, a file over 64 MB (no program of the product comes near), and any
// file that is not a PE file with a version resource give nullopt.
class PeVersionInfo final : public VersionInfo {
 public:
  explicit PeVersionInfo(FileSystem& files);
  std::optional<FixedFileVersion> fileVersion(const std::string& path) override;

 private:
  FileSystem& m_files;
};

}  // namespace platform::posix
