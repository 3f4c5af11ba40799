// The file that receives a response body, put in place only when complete.
#include "platform/win32/BodyFile_win32.h"

#include <atomic>

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
  const size_t slash = wide.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? L"." : wide.substr(0, slash);
  // A name of its own in the same folder, so the final rename stays on one volume.
  static std::atomic<unsigned> serial{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring temp = folder + L"\\.~brevan-body-" +
                              std::to_wstring(::GetCurrentProcessId()) + L"-" +
                              std::to_wstring(serial.fetch_add(1));
    const HANDLE file = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      m_file = file;
      m_temp = temp;
      m_target = wide;
      m_state = State::kWriting;
      return Status::success();
    }
    if (::GetLastError() != ERROR_FILE_EXISTS) return Status::failure(lastErrorCode());
  }
  return Status::failure(kErrorFileExists);
}

Status BodyFile::write(const char* data, size_t size) {
  if (m_file == INVALID_HANDLE_VALUE) return Status::failure(kErrorInvalidHandle);
  while (size > 0) {
    const DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(m_file, data, chunk, &written, nullptr)) {
      return Status::failure(lastErrorCode());
    }
    if (written == 0) return Status::failure(kErrorWriteFault);
    data += written;
    size -= written;
  }
  return Status::success();
}

Status BodyFile::commit() {
  if (m_file == INVALID_HANDLE_VALUE) return Status::failure(kErrorInvalidHandle);
  const HANDLE file = m_file;
  m_file = INVALID_HANDLE_VALUE;
  if (!::CloseHandle(file)) return Status::failure(lastErrorCode());
  if (!::MoveFileExW(m_temp.c_str(), m_target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return Status::failure(lastErrorCode());
  }
  m_temp.clear();
  m_state = State::kCommitted;
  return Status::success();
}

void BodyFile::discard() {
  if (m_file != INVALID_HANDLE_VALUE) {
    ::CloseHandle(m_file);  // being thrown away
    m_file = INVALID_HANDLE_VALUE;
  }
  if (m_state == State::kIdle) return;
  if (!m_temp.empty()) ::DeleteFileW(m_temp.c_str());  // best effort
  ::DeleteFileW(m_target.c_str());                     // best effort
  m_temp.clear();
  m_state = State::kIdle;
}

}  // namespace platform::win32
