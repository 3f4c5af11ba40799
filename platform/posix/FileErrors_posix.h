// errno values of file calls mapped onto the Windows codes the program reports.
#pragma once

#include <string>

#include "platform/Status.h"

namespace platform::posix {

// Codes Windows gives for which the program has no name of its own.
inline constexpr int kErrorGenFailure = 31;  // a device or file system fault
inline constexpr int kErrorDirectory = 267;  // a file named where a folder is needed

// The Windows code for an errno of a call on the native path `native`. ENOENT is 2 (file not
// found) when the folder that should hold `native` exists, else 3 (path not found), as Windows
// tells a missing file from a missing folder on the way. EIO and errno values Windows has no
// counterpart for give `fallback` (a read or write fault where the caller knows which).
int errorFromErrno(int error, const std::string& native, int fallback = kErrorGenFailure);

// The code for a missing `native`: 2 when the folder that should hold it exists, else 3.
int missingError(const std::string& native);

}  // namespace platform::posix
