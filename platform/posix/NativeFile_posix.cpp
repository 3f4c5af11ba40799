// Native-file helpers of the machine model.
#include "platform/posix/NativeFile_posix.h"

#include <fcntl.h>
#include <sys/xattr.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/FileSystem.h"

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

int missingError(const std::string& native) {
  struct stat st {};
  const std::string parent = parentOf(native);
  return ::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? kErrorFileNotFound
                                                                 : kErrorPathNotFound;
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

int createBeside(const std::string& target, mode_t mode, std::string& path) {
  static std::atomic<unsigned> counter{0};
  const std::string folder = parentOf(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate =
        folder + "/.~brevan-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    int fd = -1;
    int error = withWriteBit(folder, [&] {
      fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
      return fd >= 0 ? 0 : errno;
    });
    if (fd >= 0) {
      path = candidate;
      return fd;
    }
    if (error != EEXIST) return -error;
  }
  return -EEXIST;
}

}  // namespace platform::posix
