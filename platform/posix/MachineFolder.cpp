// The Windows machine modelled inside one Linux folder: drive folders and case-blind lookup.
#include "platform/posix/MachineFolder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "platform/AsciiCase.h"
#include "platform/posix/WindowsPath.h"

namespace platform::posix {
namespace {

// The on-disk name of `name` in the folder: the exact name when it exists, else the entry that
// equals it without regard to ASCII case (the smallest in byte order when several do, so the
// choice does not depend on the order the disk lists them); nullopt when there is none.
std::optional<std::string> findEntry(const std::string& folder, const std::string& name) {
  struct stat st {};
  const std::string exact = folder + "/" + name;
  if (::lstat(exact.c_str(), &st) == 0) return name;
  if (errno != ENOENT) return std::nullopt;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return std::nullopt;
  std::optional<std::string> best;
  while (const dirent* entry = ::readdir(dir)) {
    std::string_view candidate(entry->d_name);
    if (candidate == "." || candidate == "..") continue;
    if (ascii::equalsIgnoreCase(candidate, name) && (!best || candidate < *best)) {
      best = std::string(candidate);
    }
  }
  ::closedir(dir);
  return best;
}

}  // namespace

MachineFolder::MachineFolder(std::string prefix) : m_prefix(std::move(prefix)) {
  while (m_prefix.size() > 1 && m_prefix.back() == '/') m_prefix.pop_back();
}

std::string MachineFolder::defaultPrefix() {
  if (const char* p = std::getenv("BREVAN_PREFIX"); p && *p) return p;
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.brevan";
}

std::optional<std::string> MachineFolder::nativePath(const std::string& windowsPath) const {
  const auto parsed = parseDrivePath(windowsPath);
  if (!parsed) return std::nullopt;
  std::string native = m_prefix + "/drive_" + ascii::toLower(parsed->drive);
  struct stat st {};
  if (::stat(native.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  // Below the first missing component nothing can exist, so the rest keeps its case.
  bool looking = true;
  for (const std::string& component : parsed->components) {
    if (looking) {
      if (auto found = findEntry(native, component)) {
        native += "/" + *found;
        continue;
      }
      looking = false;
    }
    native += "/" + component;
  }
  return native;
}

void MachineFolder::ensureSystemFolders() const {
  // Failures show later as missing folders, with the error of the call that needs them.
  const std::string driveC = m_prefix + "/drive_c";
  for (size_t slash = driveC.find('/', 1); slash != std::string::npos;
       slash = driveC.find('/', slash + 1)) {
    (void)::mkdir(driveC.substr(0, slash).c_str(), 0777);
  }
  (void)::mkdir(driveC.c_str(), 0777);
  for (const char* folder : {"C:\\WINDOWS", "C:\\TEMP"}) {
    if (auto native = nativePath(folder)) (void)::mkdir(native->c_str(), 0777);
  }
}

}  // namespace platform::posix
