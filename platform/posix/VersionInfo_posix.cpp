// Version information of the machine's files, from their PE version resources.
#include "platform/posix/VersionInfo_posix.h"

#include <cstdint>

#include "platform/posix/PeVersion.h"

namespace platform::posix {
namespace {

constexpr uint64_t kMaxFileSize = 64 * 1024 * 1024;

}  // namespace

PeVersionInfo::PeVersionInfo(FileSystem& files) : m_files(files) {}

std::optional<FixedFileVersion> PeVersionInfo::fileVersion(const std::string& path) {
  if (!m_files.fileExists(path)) return std::nullopt;
  const auto size = m_files.fileSize(path);
  if (!size || *size > kMaxFileSize) return std::nullopt;
  const auto bytes = m_files.readFile(path);
  if (!bytes) return std::nullopt;
  return readPeFileVersion(*bytes);
}

}  // namespace platform::posix
