// The archive file on POSIX descriptors.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "unlha32/ArchiveFile.h"
#include "unlha32/unlha32.h"

namespace unlha {

std::unique_ptr<ArchiveFile> ArchiveFile::open(const std::string& nativePath, int& error) {
  const int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = (errno == ENOENT || errno == ENOTDIR) ? UNLHA_ERROR_NOT_FIND_ARC_FILE
                                                  : UNLHA_ERROR_ARC_FILE_OPEN;
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error = S_ISDIR(st.st_mode) ? UNLHA_ERROR_NOT_FIND_ARC_FILE : UNLHA_ERROR_ARC_FILE_OPEN;
    ::close(fd);
    return nullptr;
  }
  error = 0;
  return std::unique_ptr<ArchiveFile>(new ArchiveFile(fd, static_cast<uint64_t>(st.st_size)));
}

ArchiveFile::~ArchiveFile() { ::close(static_cast<int>(m_handle)); }

long long ArchiveFile::read(void* data, size_t size) {
  for (;;) {
    const ssize_t n = ::read(static_cast<int>(m_handle), data, size);
    if (n < 0 && errno == EINTR) continue;
    return n;
  }
}

bool ArchiveFile::seek(uint64_t position) {
  return ::lseek(static_cast<int>(m_handle), static_cast<off_t>(position), SEEK_SET) >= 0;
}

}  // namespace unlha
