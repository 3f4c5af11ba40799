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
  // Closes the one held (its error is lost) and holds `fd`.
  void adopt(int fd) {
    (void)reset();
    m_fd = fd;
  }
  // Closes now; an errno when the close reports a late write error, else 0.
  int reset();

 private:
  int m_fd;
};

// Writes every byte; 0 or an errno.
int writeAll(int fd, const char* data, size_t size);

// rename() that never replaces an existing entry; 0 or an errno (EEXIST when one is there).
int renameNoReplace(const std::string& from, const std::string& to);

// How a file written beside its target takes the target's place.
enum class PutInPlace {
  kReplacing,         // over an existing target
  kReplacingDurably,  // the same, the data and the rename on the disk before it returns
  kNeverReplacing,    // EEXIST when the target exists
};

// A new file written beside its target and put in the target's place whole, so the target
// never holds a partial file: open, write, then commit. A file not committed is removed.
class FileBeside {
 public:
  FileBeside() = default;
  ~FileBeside() { discard(); }
  FileBeside(const FileBeside&) = delete;
  FileBeside& operator=(const FileBeside&) = delete;

  // Creates an empty file beside the native path `target`, under a name no listing of the
  // program takes for its own (".~brevan-…"), with `mode` less the umask. 0 or an errno
  // (ENOENT when the target's folder is missing).
  int open(const std::string& target, mode_t mode);
  int fd() const { return m_file.get(); }
  // The temporary file's own path, for calls that take a name.
  const std::string& path() const { return m_path; }
  int write(const char* data, size_t size) { return writeAll(m_file.get(), data, size); }
  // Closes the file and renames it onto the target as `how` says. 0 or an errno; on an error the
  // file is removed and the target is as it was.
  int commit(PutInPlace how);
  // Removes the file now, if it is still there.
  void discard();

 private:
  Descriptor m_file;
  std::string m_target;
  std::string m_path;
};

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
