// The last error of a Windows call, recorded as the program's last error.
#pragma once

#include "platform/Status.h"

namespace platform::win32 {

// Windows codes are the program's codes: GetLastError's value is recorded as it stands.
// `fallback` stands in when a failed call left no code (0), so a failure never reads as success.
Status recordLastError(LastError& lastError, int fallback = kErrorInvalidFunction);

// Records `code` (non-zero) and returns it as a failed status.
inline Status recordFailure(LastError& lastError, int code) {
  return lastError.record(Status::failure(code));
}

}  // namespace platform::win32
