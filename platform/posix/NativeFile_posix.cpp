// Native-file helpers of the machine model.
#include "platform/posix/NativeFile_posix.h"

#include <fcntl.h>
#include <sys/xattr.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/FileSystem.h"
#include "platform/TemporaryNames.h"

namespace platform::posix {
namespace {

constexpr const char* kDosAttributeName = "user.DOSATTRIB";
constexpr uint32_t kStoredBits = kAttrHidden | kAttrSystem;

}  // namespace

std::string parentOf(const std::string& native) {
  size_t slash = native.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : native.substr(0, slash);
}

std::string nameOf(const std::string& native) {
  size_t slash = native.rfind('/');
  return slash == std::string::npos ? native : native.substr(slash + 1);
}

uint32_t storedDosBits(const std::string& native) {
  char text[32] = {};
  ssize_t n = ::getxattr(native.c_str(), kDosAttributeName, text, sizeof text - 1);
  if (n < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return 0;
  text[n] = '\0';
  return static_cast<uint32_t>(std::strtoul(text + 2, nullptr, 16)) & kStoredBits;
}

int storeDosBits(const std::string& native, uint32_t bits) {
  bits &= kStoredBits;
  return withWriteBit(native, [&] {
    if (bits == 0) {
      if (::removexattr(native.c_str(), kDosAttributeName) == 0) return 0;
      return errno == ENODATA || errno == ENOTSUP ? 0 : errno;
    }
    char text[16];
    int length = std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(bits));
    return ::setxattr(native.c_str(), kDosAttributeName, text, static_cast<size_t>(length), 0) == 0
               ? 0
               : errno;
  });
}

uint32_t attributesOf(const std::string& native, const struct stat& st) {
  uint32_t attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
  if (isReadOnly(st)) attributes |= kAttrReadOnly;
  return attributes | storedDosBits(native);
}

int Descriptor::reset() {
  int fd = m_fd;
  m_fd = -1;
  return fd < 0 || ::close(fd) == 0 ? 0 : errno;
}

int writeAll(int fd, const char* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    done += static_cast<size_t>(n);
  }
  return 0;
}

int renameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // A file system without the flag: check, then rename (a folder moved into itself still
  // gives EINVAL below).
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0) return EEXIST;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int FileBeside::open(const std::string& target, mode_t mode) {
  static std::atomic<unsigned> counter{0};
  discard();
  const std::string folder = parentOf(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = folder + "/" + std::string(kTemporaryPrefix) +
                            std::to_string(::getpid()) + "-" + std::to_string(counter++);
    int fd = -1;
    int error = withWriteBit(folder, [&] {
      fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
      return fd >= 0 ? 0 : errno;
    });
    if (fd >= 0) {
      m_file.adopt(fd);
      m_target = target;
      m_path = std::move(candidate);
      return 0;
    }
    if (error != EEXIST) return error;
  }
  return EEXIST;
}

int FileBeside::commit(PutInPlace how) {
  if (m_path.empty()) return EBADF;
  const std::string folder = parentOf(m_target);
  int error = 0;
  if (how == PutInPlace::kReplacingDurably && ::fsync(m_file.get()) != 0) error = errno;
  if (int closed = m_file.reset(); error == 0) error = closed;
  if (error == 0) {
    error = withWriteBit(folder, [&] {
      if (how == PutInPlace::kNeverReplacing) return renameNoReplace(m_path, m_target);
      return ::rename(m_path.c_str(), m_target.c_str()) == 0 ? 0 : errno;
    });
  }
  if (error != 0) {
    discard();
    return error;
  }
  m_path.clear();
  if (how == PutInPlace::kReplacingDurably) {
    // The rename itself reaches the disk with its folder.
    Descriptor parent(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parent.get() >= 0) (void)::fsync(parent.get());  // the data is safe already
  }
  return 0;
}

void FileBeside::discard() {
  (void)m_file.reset();                                 // being thrown away
  if (!m_path.empty()) (void)::unlink(m_path.c_str());  // best effort: a hidden leftover
  m_path.clear();
}

}  // namespace platform::posix
