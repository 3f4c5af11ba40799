// errno values of the SZDD expansion mapped onto the Windows codes the program reports.
#pragma once

#include <cerrno>

#include "platform/Status.h"

namespace platform::posix {

// The Windows code for an errno; `fallback` (read or write fault) for anything unexpected.
// ENOENT is "path not found" here: callers that know the folder exists report 2 instead.
inline int lzErrorFromErrno(int error, int fallback) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY:
      return kErrorAccessDenied;
    case ENAMETOOLONG:
      return kErrorFilenameExcedRange;
    case ENOSPC:
    case EDQUOT:
      return kErrorDiskFull;
    case ENOMEM:
      return kErrorNotEnoughMemory;
    default:
      return fallback;
  }
}

}  // namespace platform::posix
