// The file that receives a response body, put in place only when complete.
#include "platform/win32/BodyFile_win32.h"

#include <utility>

#include "platform/win32/WideText.h"

namespace platform::win32 {

namespace {

int lastErrorCode() {
  const DWORD error = ::GetLastError();
  if (error == ERROR_HANDLE_DISK_FULL) return kErrorDiskFull;
  return error == 0 ? kErrorWriteFault : static_cast<int>(error);
}

}  // namespace

BodyFile::~BodyFile() {
  if (m_state == State::kWriting) discard();
}

Status BodyFile::open(const std::string& target) {
  if (m_state == State::kWriting) discard();
  m_state = State::kIdle;
  const std::wstring wide = widen(target);
  if (wide.empty()) return Status::failure(kErrorInvalidName);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    // A read-only file is not replaced, as the program's own copies never replace one.
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) {
      return Status::failure(kErrorAccessDenied);
    }
  } else if (::GetLastError() != ERROR_FILE_NOT_FOUND) {
    return Status::failure(lastErrorCode());
  }
  // A name of its own in the same folder, so the final rename stays on one volume.
  std::wstring temp;
  Handle file = createBeside(wide, temp);
  if (!file.valid()) return Status::failure(lastErrorCode());
  m_file = std::move(file);
  m_temp = temp;
  m_target = wide;
  m_state = State::kWriting;
  return Status::success();
}

Status BodyFile::write(const char* data, size_t size) {
  if (!m_file.valid()) return Status::failure(kErrorInvalidHandle);
  if (!writeAll(m_file.get(), data, size)) return Status::failure(lastErrorCode());
  return Status::success();
}

Status BodyFile::commit() {
  if (!m_file.valid()) return Status::failure(kErrorInvalidHandle);
  if (!m_file.reset()) return Status::failure(lastErrorCode());
  if (!renameWritten(m_temp, m_target, MOVEFILE_REPLACE_EXISTING)) {
    return Status::failure(lastErrorCode());
  }
  m_temp.clear();
  m_state = State::kCommitted;
  return Status::success();
}

void BodyFile::discard() {
  (void)m_file.reset();  // being thrown away
  if (m_state == State::kIdle) return;
  if (!m_temp.empty()) ::DeleteFileW(m_temp.c_str());  // best effort
  ::DeleteFileW(m_target.c_str());                     // best effort
  m_temp.clear();
  m_state = State::kIdle;
}

}  // namespace platform::win32
