// The Windows machine modelled inside one Linux folder.
#include "platform/posix/MachineFolder.h"

#include <cstdlib>
#include <utility>

namespace platform::posix {

MachineFolder::MachineFolder(std::string prefix) : m_prefix(std::move(prefix)) {}

std::string MachineFolder::defaultPrefix() {
  if (const char* p = std::getenv("BREVAN_PREFIX"); p && *p) return p;
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.brevan";
}

std::optional<std::string> MachineFolder::nativePath(const std::string&) const {
  return std::nullopt;  // placeholder until the machine model lands
}

void MachineFolder::ensureSystemFolders() const {}

}  // namespace platform::posix
