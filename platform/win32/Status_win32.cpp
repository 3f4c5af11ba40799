// The last error of a Windows call, recorded as the program's last error.
#include "platform/win32/Status_win32.h"

#include <windows.h>

namespace platform::win32 {

Status recordLastError(LastError& lastError, int fallback) {
  const DWORD code = ::GetLastError();
  return recordFailure(lastError, code != ERROR_SUCCESS ? static_cast<int>(code) : fallback);
}

}  // namespace platform::win32
