// The destination folder, walked with one open folder after another (never by path), so that
// no symbolic link beneath it is followed and nothing lands outside it.
#include "unlha32/Destination.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/AsciiCase.h"
#include "unlha32/PosixFiles.h"
#include "unlha32/unlha32.h"

namespace unlha {
using posix::because;
using posix::UniqueFd;

std::unique_ptr<Destination> Destination::open(const std::string& nativeFolder, int& error) {
  std::vector<std::string> created;
  std::error_code ec;
  for (std::filesystem::path p = std::filesystem::path(nativeFolder).lexically_normal();
       !p.empty() && !std::filesystem::exists(std::filesystem::symlink_status(p, ec));
       p = p.parent_path()) {
    if (p.has_filename()) created.push_back(p.string());
    if (p == p.parent_path()) break;
  }
  std::filesystem::create_directories(nativeFolder, ec);
  const int fd = ::open(nativeFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    for (const std::string& folder : created) ::rmdir(folder.c_str());
    error = UNLHA_ERROR_MAKEDIRECTORY;
    return nullptr;
  }
  error = 0;
  std::unique_ptr<Destination> destination(new Destination(fd, std::move(created)));
  destination->removeLeftovers();
  return destination;
}

Destination::Destination(int fd, std::vector<std::string> created)
    : m_fd(fd), m_created(std::move(created)) {}

Destination::~Destination() {
  finish();
  ::close(m_fd);
}

FolderNames& Destination::folder(const std::string& key, int fd) {
  auto& slot = m_folders[key];
  if (slot) return *slot;
  slot = std::make_unique<FolderNames>();
  const int listFd = ::dup(fd);
  DIR* dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
  if (dir == nullptr) {
    if (listFd >= 0) ::close(listFd);
    return *slot;  // an unlisted folder: names are then taken as given
  }
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != ".." && !(key.empty() && name == m_stagingName)) slot->add(name);
  }
  ::closedir(dir);
  return *slot;
}

int Destination::openFolders(const std::vector<std::string>& parts, size_t count, int& fd,
                             std::string& key, std::string& reason) {
  UniqueFd current(::dup(m_fd));
  if (current.get() < 0) {
    reason = because("cannot open the destination", ".");
    return UNLHA_ERROR_MAKEDIRECTORY;
  }
  key.clear();
  for (size_t i = 0; i < count; ++i) {
    FolderNames& here = folder(key, current.get());
    const auto found = here.find(parts[i]);
    const std::string name = found.value_or(parts[i]);
    if (i == 0 && !m_stagingName.empty() &&
        platform::ascii::toLower(name) == platform::ascii::toLower(m_stagingName)) {
      reason = "reserved name: " + name;
      return UNLHA_ERROR_UNSAFE_PATH;
    }
    if (!found) {
      if (::mkdirat(current.get(), name.c_str(), 0777) != 0 && errno != EEXIST) {
        reason = because("cannot create folder", name);
        return UNLHA_ERROR_MAKEDIRECTORY;
      }
      here.add(name);
    }
    const int next =
        ::openat(current.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0) {
      struct stat st {};
      if (::fstatat(current.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
          S_ISLNK(st.st_mode)) {
        reason = "symbolic link on the way: " + name;
        return UNLHA_ERROR_UNSAFE_PATH;
      }
      reason = because("not a folder", name);
      return UNLHA_ERROR_MAKEDIRECTORY;
    }
    current.reset(next);
    key += '/';
    key += name;
  }
  fd = current.release();
  return 0;
}

int Destination::makeFolders(const std::vector<std::string>& parts, std::string& reason) {
  int fd = -1;
  std::string key;
  const int error = openFolders(parts, parts.size(), fd, key, reason);
  if (error == 0) ::close(fd);
  return error;
}

int Destination::place(const std::string& staged, const std::vector<std::string>& parts,
                       std::string& reason) {
  if (parts.empty()) {
    reason = "no file name";
    return UNLHA_ERROR_UNSAFE_PATH;
  }
  int rawFd = -1;
  std::string key;
  if (const int error = openFolders(parts, parts.size() - 1, rawFd, key, reason)) return error;
  UniqueFd folderFd(rawFd);
  FolderNames& here = folder(key, folderFd.get());
  const std::string target = here.find(parts.back()).value_or(parts.back());

  struct stat st {};
  if (::fstatat(folderFd.get(), target.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISLNK(st.st_mode)) {
      reason = "symbolic link not replaced: " + target;
      return UNLHA_ERROR_UNSAFE_PATH;
    }
    if (!S_ISREG(st.st_mode)) {
      reason = "not a file: " + target;
      return UNLHA_ERROR_CANNOT_WRITE;
    }
    // The read-only attribute is the owner's write bit; the rule holds for root too.
    if ((st.st_mode & S_IWUSR) == 0) {
      reason = "read-only file not replaced: " + target;
      return UNLHA_ERROR_READ_ONLY;
    }
  }
  if (::renameat(m_stagingFd, staged.c_str(), folderFd.get(), target.c_str()) != 0) {
    reason = because("cannot write file", target);
    return UNLHA_ERROR_CANNOT_WRITE;
  }
  std::erase(m_staged, staged);
  here.add(target);
  return 0;
}

}  // namespace unlha
