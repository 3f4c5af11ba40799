// The file that receives a response body, put in place only when complete.
#include "platform/posix/BodyFile_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/FileErrors_posix.h"

namespace platform::posix {

int BodyFile::failure(int error) const { return errorFromErrno(error, m_target, kErrorWriteFault); }

BodyFile::~BodyFile() {
  if (m_state == State::kWriting) discard();
}

Status BodyFile::open(const std::string& target) {
  if (m_state == State::kWriting) discard();
  m_state = State::kIdle;
  m_target = target;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    // The machine model's read-only rule holds for root too: such a file is not replaced.
    if (S_ISDIR(st.st_mode) || (st.st_mode & S_IWUSR) == 0) {
      return Status::failure(kErrorAccessDenied);
    }
  } else if (errno != ENOENT) {
    return Status::failure(failure(errno));
  }
  // Beside the target, so the final rename stays on one file system.
  if (int error = m_file.open(target, 0644); error != 0) return Status::failure(failure(error));
  m_state = State::kWriting;
  return Status::success();
}

Status BodyFile::write(const char* data, size_t size) {
  if (!isOpen()) return Status::failure(kErrorInvalidHandle);
  if (int error = m_file.write(data, size); error != 0) return Status::failure(failure(error));
  return Status::success();
}

Status BodyFile::commit() {
  if (!isOpen()) return Status::failure(kErrorInvalidHandle);
  if (int error = m_file.commit(PutInPlace::kReplacing); error != 0) {
    return Status::failure(failure(error));
  }
  m_state = State::kCommitted;
  return Status::success();
}

void BodyFile::discard() {
  m_file.discard();
  if (m_state == State::kIdle) return;
  (void)::unlink(m_target.c_str());  // best effort
  m_state = State::kIdle;
}

}  // namespace platform::posix
