// The staging folder of the POSIX destination: members are written there under plain numbers
// and moved into place; what a killed run left there is removed on the next open.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "unlha32/Destination.h"
#include "unlha32/PosixFiles.h"
#include "unlha32/StagingName.h"
#include "unlha32/unlha32.h"

namespace unlha {

using posix::because;
using posix::UniqueFd;
using posix::writeAll;

int Destination::openStaging(std::string& reason) {
  if (m_stagingFd >= 0) return 0;
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::string name = stagingName(static_cast<unsigned long>(::getpid()), attempt);
    if (::mkdirat(m_fd, name.c_str(), 0700) != 0) {
      if (errno == EEXIST) continue;
      break;
    }
    m_stagingFd = ::openat(m_fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (m_stagingFd < 0) {
      ::unlinkat(m_fd, name.c_str(), AT_REMOVEDIR);
      break;
    }
    m_stagingName = name;
    return 0;
  }
  reason = because("cannot create folder", "staging folder");
  return UNLHA_ERROR_CANNOT_WRITE;
}

int Destination::stage(std::time_t mtime, const Producer& produce, const std::string& name,
                       std::string& staged, std::string& reason) {
  if (const int error = openStaging(reason)) return error;
  staged = std::to_string(m_stagedCounter++);
  UniqueFd out(::openat(m_stagingFd, staged.c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (out.get() < 0) {
    reason = because("cannot create file", name);
    return UNLHA_ERROR_CANNOT_WRITE;
  }
  m_staged.push_back(staged);
  int error =
      produce([&](const void* data, size_t size) { return writeAll(out.get(), data, size); });
  if (error == UNLHA_ERROR_CANNOT_WRITE) reason = because("cannot write file", name);
  if (error == 0 && mtime != 0) {
    const struct timespec times[2] = {{0, UTIME_NOW}, {mtime, 0}};
    ::futimens(out.get(), times);  // the time stamp is a courtesy: its failure is ignored
  }
  if (::close(out.release()) != 0 && error == 0) {
    reason = because("cannot write file", name);
    error = UNLHA_ERROR_CANNOT_WRITE;
  }
  if (error != 0) {
    ::unlinkat(m_stagingFd, staged.c_str(), 0);
    m_staged.pop_back();
  }
  return error;
}

void Destination::finish() {
  if (m_stagingFd < 0) return;
  for (const std::string& name : m_staged) ::unlinkat(m_stagingFd, name.c_str(), 0);
  m_staged.clear();
  ::close(m_stagingFd);
  m_stagingFd = -1;
  ::unlinkat(m_fd, m_stagingName.c_str(), AT_REMOVEDIR);
  m_stagingName.clear();
}

void Destination::discard() {
  finish();
  // Innermost first; a folder that is not empty (someone else's) stays.
  for (const std::string& folder : m_created) ::rmdir(folder.c_str());
  m_created.clear();
}

// Only folders of exactly the staging pattern, at the top of the destination, never a link: a
// user's entry of any other name stays. A staging folder holds plain files only.
void Destination::removeLeftovers() {
  // A descriptor of its own: a dup would share the folder's read position with m_fd.
  const int listFd = ::openat(m_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
  if (dir == nullptr) {
    if (listFd >= 0) ::close(listFd);
    return;  // nothing listed, nothing removed
  }
  std::vector<std::string> leftovers;
  while (const dirent* entry = ::readdir(dir)) {
    if (isStagingName(entry->d_name)) leftovers.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  for (const std::string& name : leftovers) {
    UniqueFd folder(::openat(m_fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.get() < 0) continue;  // a file or a link of that name is not ours
    const int innerFd = ::dup(folder.get());
    DIR* inner = innerFd >= 0 ? ::fdopendir(innerFd) : nullptr;
    if (inner == nullptr) {
      if (innerFd >= 0) ::close(innerFd);
      continue;
    }
    std::vector<std::string> files;
    while (const dirent* entry = ::readdir(inner)) {
      const std::string file = entry->d_name;
      if (file != "." && file != "..") files.push_back(file);
    }
    ::closedir(inner);
    // A failed removal leaves the folder for the next open: harmless.
    for (const std::string& file : files) ::unlinkat(folder.get(), file.c_str(), 0);
    ::unlinkat(m_fd, name.c_str(), AT_REMOVEDIR);
  }
}

uint64_t Destination::freeBytes() const {
  struct statvfs fs {};
  if (::fstatvfs(m_fd, &fs) != 0) return std::numeric_limits<uint64_t>::max();
  return static_cast<uint64_t>(fs.f_bavail) * static_cast<uint64_t>(fs.f_frsize);
}

}  // namespace unlha
