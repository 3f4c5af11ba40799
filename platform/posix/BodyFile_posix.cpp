// The file that receives a response body, put in place only when complete.
#include "platform/posix/BodyFile_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace platform::posix {

int windowsCodeOfErrno(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return kErrorAccessDenied;
    case ENOSPC:
    case EDQUOT:
      return kErrorDiskFull;
    case ENAMETOOLONG:
      return kErrorFilenameExcedRange;
    default:
      return kErrorWriteFault;
  }
}

BodyFile::~BodyFile() {
  if (m_state == State::kWriting) discard();
}

Status BodyFile::open(const std::string& target) {
  if (m_state == State::kWriting) discard();
  m_state = State::kIdle;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    // The machine model's read-only rule holds for root too: such a file is not replaced.
    if (S_ISDIR(st.st_mode) || (st.st_mode & S_IWUSR) == 0) {
      return Status::failure(kErrorAccessDenied);
    }
  } else if (errno != ENOENT) {
    return Status::failure(windowsCodeOfErrno(errno));
  }
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
  // A hidden name in the same folder, so the final rename stays on one file system.
  std::string pattern = folder + "/.~brevan-body-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return Status::failure(windowsCodeOfErrno(errno));
  (void)::fchmod(fd, 0644);  // mode only; a failure leaves the owner's rights
  m_fd = fd;
  m_temp = name.data();
  m_target = target;
  m_state = State::kWriting;
  return Status::success();
}

Status BodyFile::write(const char* data, size_t size) {
  if (m_fd < 0) return Status::failure(kErrorInvalidHandle);
  while (size > 0) {
    const ssize_t n = ::write(m_fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Status::failure(windowsCodeOfErrno(errno));
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return Status::success();
}

Status BodyFile::commit() {
  if (m_fd < 0) return Status::failure(kErrorInvalidHandle);
  const int fd = m_fd;
  m_fd = -1;
  if (::close(fd) != 0) return Status::failure(windowsCodeOfErrno(errno));
  if (::rename(m_temp.c_str(), m_target.c_str()) != 0) {
    return Status::failure(windowsCodeOfErrno(errno));
  }
  m_temp.clear();
  m_state = State::kCommitted;
  return Status::success();
}

void BodyFile::discard() {
  if (m_fd >= 0) {
    (void)::close(m_fd);  // being thrown away
    m_fd = -1;
  }
  if (m_state == State::kIdle) return;
  if (!m_temp.empty()) (void)::unlink(m_temp.c_str());  // best effort
  (void)::unlink(m_target.c_str());                     // best effort
  m_temp.clear();
  m_state = State::kIdle;
}

}  // namespace platform::posix
