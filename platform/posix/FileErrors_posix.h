// errno values of file calls mapped onto the Windows codes the program reports.
#pragma once

#include <cerrno>

#include "platform/Status.h"

namespace platform::posix {

// Codes Windows gives for which the program has no name of its own.
inline constexpr int kErrorGenFailure = 31;  // a device or file system fault
inline constexpr int kErrorDirectory = 267;  // a file named where a folder is needed

// The Windows code for an errno of a file call. ENOENT gives "file not found"; callers that
// know a folder on the way is missing report "path not found" (see missingError).
inline int errorFromErrno(int error) {
  switch (error) {
    case 0:
      return kErrorSuccess;
    case ENOENT:
      return kErrorFileNotFound;
    case ENOTDIR:
    case ELOOP:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return kErrorAccessDenied;
    case ETXTBSY:
    case EBUSY:
      return kErrorSharingViolation;
    case EEXIST:
      return kErrorAlreadyExists;
    case ENOTEMPTY:
      return kErrorDirNotEmpty;
    case ENOSPC:
    case EDQUOT:
      return kErrorDiskFull;
    case ENAMETOOLONG:
      return kErrorFilenameExcedRange;
    case ENOMEM:
      return kErrorNotEnoughMemory;
    case EXDEV:
      return kErrorNotSameDevice;
    case EINVAL:
      return kErrorInvalidParameter;
    default:
      return kErrorGenFailure;
  }
}

}  // namespace platform::posix
