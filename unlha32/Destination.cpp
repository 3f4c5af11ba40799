// The destination folder, walked with one open folder after another (never by path), so that
// no symbolic link beneath it is followed and nothing lands outside it.
#include "unlha32/Destination.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>
#include <unordered_set>

#include "platform/AsciiCase.h"
#include "unlha32/unlha32.h"

namespace unlha {
namespace {

class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : m_fd(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  int get() const { return m_fd; }
  int release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
  }
  void reset(int fd = -1) {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = fd;
  }

 private:
  int m_fd;
};

std::string because(const std::string& what, const std::string& name) {
  return what + ": " + name + " (" + std::strerror(errno) + ")";
}

bool writeAll(int fd, const void* data, size_t size) {
  const auto* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

// The names in one folder, found without regard to ASCII case; an exact match comes first.
struct Destination::Folder {
  std::unordered_set<std::string> exact;
  std::unordered_map<std::string, std::string> folded;

  void add(const std::string& name) {
    exact.insert(name);
    folded.emplace(platform::ascii::toLower(name), name);
  }
  std::optional<std::string> find(const std::string& name) const {
    if (exact.count(name) != 0) return name;
    const auto it = folded.find(platform::ascii::toLower(name));
    if (it == folded.end()) return std::nullopt;
    return it->second;
  }
};

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
  return std::unique_ptr<Destination>(new Destination(fd, std::move(created)));
}

Destination::Destination(int fd, std::vector<std::string> created)
    : m_fd(fd), m_created(std::move(created)) {}

Destination::~Destination() {
  finish();
  ::close(m_fd);
}

Destination::Folder& Destination::folder(const std::string& key, int fd) {
  auto& slot = m_folders[key];
  if (slot) return *slot;
  slot = std::make_unique<Folder>();
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
    Folder& here = folder(key, current.get());
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

int Destination::openStaging(std::string& reason) {
  if (m_stagingFd >= 0) return 0;
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::string name =
        ".unlha32-" + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".part";
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
  Folder& here = folder(key, folderFd.get());
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

}  // namespace unlha
