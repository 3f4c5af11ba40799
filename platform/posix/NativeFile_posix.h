// Native-file helpers of the machine model: attributes, descriptors, files written beside.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform::posix {

std::string parentOf(const std::string& native);
std::string nameOf(const std::string& native);

// The code for a missing file: 2 when the folder that should hold it exists, else 3.
int missingError(const std::string& native);

// The read-only attribute is the owner's write permission bit cleared.
inline bool isReadOnly(const struct stat& st) { return (st.st_mode & S_IWUSR) == 0; }

// Hidden and system bits, kept in the extended attribute "user.DOSATTRIB" in the text form
// Wine and Samba use ("0x2"). 0 when none is stored or the file system keeps none.
uint32_t storedDosBits(const std::string& native);
// Stores hidden and system bits (0 removes the attribute). 0 or an errno: ENOTSUP when the file
// system keeps no user attributes.
int storeDosBits(const std::string& native, uint32_t bits);

// Windows attributes of an entry: folder or archive, read-only, hidden, system.
uint32_t attributesOf(const std::string& native, const struct stat& st);

// A descriptor closed when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : m_fd(fd) {}
  ~Descriptor() { reset(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return m_fd; }
  // Closes now; an errno when the close reports a late write error, else 0.
  int reset();

 private:
  int m_fd;
};

// Writes every byte; 0 or an errno.
int writeAll(int fd, const char* data, size_t size);

// Creates a new empty file beside `target` under a name no listing of the program takes for
// its own (".~brevan-…"). Returns the descriptor and sets `path`, or -errno.
int createBeside(const std::string& target, mode_t mode, std::string& path);

// Runs `op` (returning 0 or an errno) on `native`. A read-only folder still takes new entries
// and a read-only file still takes attribute changes, as on Windows; for a user other than
// root the owner's write bit refuses them, so it is lent for the one call and put back.
template <class Op>
int withWriteBit(const std::string& native, Op op) {
  int result = op();
  if (result != EACCES || ::geteuid() == 0) return result;
  struct stat st {};
  if (::stat(native.c_str(), &st) != 0 || st.st_uid != ::geteuid() || !isReadOnly(st)) {
    return result;
  }
  if (::chmod(native.c_str(), (st.st_mode & 07777) | S_IWUSR) != 0) return result;
  result = op();
  (void)::chmod(native.c_str(), st.st_mode & 07777);
  return result;
}

}  // namespace platform::posix
