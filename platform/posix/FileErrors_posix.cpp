// errno values of file calls mapped onto the Windows codes the program reports.
#include "platform/posix/FileErrors_posix.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/posix/NativeFile_posix.h"

namespace platform::posix {

int missingError(const std::string& native) {
  struct stat st {};
  const std::string parent = parentOf(native);
  return ::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? kErrorFileNotFound
                                                                 : kErrorPathNotFound;
}

int errorFromErrno(int error, const std::string& native, int fallback) {
  switch (error) {
    case 0:
      return kErrorSuccess;
    case ENOENT:
      return missingError(native);
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
      return fallback;
  }
}

}  // namespace platform::posix
