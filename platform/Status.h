// Results of machine services: Windows-style error codes, so messages read the same everywhere.
#pragma once

namespace platform {

// The codes the program meets; backends map their own failures onto these.
enum ErrorCode : int {
  kErrorSuccess = 0,
  kErrorInvalidFunction = 1,
  kErrorFileNotFound = 2,
  kErrorPathNotFound = 3,
  kErrorAccessDenied = 5,
  kErrorInvalidHandle = 6,
  kErrorNotEnoughMemory = 8,
  kErrorBadFormat = 11,
  kErrorInvalidData = 13,
  kErrorNotSameDevice = 17,
  kErrorWriteFault = 29,
  kErrorReadFault = 30,
  kErrorSharingViolation = 32,
  kErrorHandleDiskFull = 39,
  kErrorFileExists = 80,
  kErrorInvalidParameter = 87,
  kErrorDiskFull = 112,
  kErrorInvalidName = 123,
  kErrorModNotFound = 126,
  kErrorProcNotFound = 127,
  kErrorDirNotEmpty = 145,
  kErrorAlreadyExists = 183,
  kErrorFilenameExcedRange = 206,
  kErrorMoreData = 234,
};

// Outcome of one platform call; 0 is success.
struct [[nodiscard]] Status {
  int error = kErrorSuccess;
  bool ok() const { return error == kErrorSuccess; }
  explicit operator bool() const { return ok(); }
  static Status success() { return {}; }
  static Status failure(int code) { return Status{code}; }
};

// The code of the last failed platform call, as GetLastError tells it on Windows.
// Backends record every failure here; the expansion run reports it in its error box.
class LastError {
 public:
  int get() const { return m_code; }
  void set(int code) { m_code = code; }
  // Records a failed status and hands it back, so backends can write `return record(st);`.
  Status record(Status st) {
    if (!st.ok()) m_code = st.error;
    return st;
  }

 private:
  int m_code = kErrorSuccess;
};

}  // namespace platform
