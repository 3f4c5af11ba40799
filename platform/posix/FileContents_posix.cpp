// Files of the machine folder: reading, writing, copying and renaming under the Windows rules.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/posix/FileErrors_posix.h"
#include "platform/posix/FileSystem_posix.h"
#include "platform/posix/NativeFile_posix.h"
#include "platform/posix/WindowsPath.h"

namespace platform::posix {
namespace {

constexpr size_t kCopyBuffer = 256 * 1024;

int copyData(int input, int output) {
  std::vector<char> buffer(kCopyBuffer);
  for (;;) {
    ssize_t n = ::read(input, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return 0;
    if (int error = writeAll(output, buffer.data(), static_cast<size_t>(n)); error != 0) {
      return error;
    }
  }
}

// Checks an existing target of a write: folders and read-only files refuse it. 0 when it may
// be written (or does not exist), else the Windows code.
int writableTarget(const std::string& native, struct stat& st, bool& exists) {
  exists = ::stat(native.c_str(), &st) == 0;
  if (!exists) return 0;
  return S_ISDIR(st.st_mode) || isReadOnly(st) ? kErrorAccessDenied : 0;
}

}  // namespace

std::optional<std::string> PosixFileSystem::readFile(const std::string& path) {
  const auto n = native(path);
  if (!n) return std::nullopt;
  Descriptor fd(::open(n->c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st {};
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
    (void)failErrno(errno, *n);
    return std::nullopt;
  }
  if (S_ISDIR(st.st_mode)) {
    (void)fail(kErrorAccessDenied);
    return std::nullopt;
  }
  std::string bytes;
  std::vector<char> buffer(kCopyBuffer);
  for (;;) {
    ssize_t got = ::read(fd.get(), buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      (void)fail(kErrorReadFault);
      return std::nullopt;
    }
    if (got == 0) return bytes;
    bytes.append(buffer.data(), static_cast<size_t>(got));
  }
}

Status PosixFileSystem::writeFile(const std::string& path, const std::string& bytes) {
  const auto n = native(path);
  if (!n) return Status::failure(m_lastError.get());
  struct stat st {};
  bool exists = false;
  if (int code = writableTarget(*n, st, exists); code != 0) return fail(code);
  int fd = -1;
  int error = withWriteBit(parentOf(*n), [&] {
    fd = ::open(n->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return fd >= 0 ? 0 : errno;
  });
  if (error != 0) return failErrno(error, *n);
  Descriptor file(fd);
  error = writeAll(file.get(), bytes.data(), bytes.size());
  if (error == 0) error = file.reset();
  if (error != 0) return fail(errorFromErrno(error, *n, kErrorWriteFault));
  return Status::success();
}

Status PosixFileSystem::replaceFileAtomically(const std::string& path, const std::string& bytes) {
  const auto n = native(path);
  if (!n) return Status::failure(m_lastError.get());
  struct stat st {};
  bool exists = false;
  if (int code = writableTarget(*n, st, exists); code != 0) return fail(code);
  return writeNew(*n, bytes, exists ? &st : nullptr);
}

Status PosixFileSystem::probeWritable(const std::string& folder) {
  const auto n = native(folder);
  if (!n) return Status::failure(m_lastError.get());
  FileBeside probe;
  if (int error = probe.open(*n + "/probe", 0600); error != 0) return failErrno(error, *n);
  probe.discard();
  return Status::success();
}

Status PosixFileSystem::writeNew(const std::string& target, const std::string& bytes,
                                 const struct stat* replaced) {
  FileBeside file;
  if (int error = file.open(target, 0666); error != 0) return failErrno(error, target);
  int error = file.write(bytes.data(), bytes.size());
  if (error == 0 && replaced) {
    // The new file takes the place of the old one with its permissions and hidden/system bits.
    if (::fchmod(file.fd(), replaced->st_mode & 07777) != 0) error = errno;
    if (error == 0) error = storeDosBits(file.path(), storedDosBits(target));
    if (error == ENOTSUP) error = 0;
  }
  if (error == 0) error = file.commit(PutInPlace::kReplacingDurably);
  if (error != 0) return fail(errorFromErrno(error, target, kErrorWriteFault));
  return Status::success();
}

Status PosixFileSystem::copyFile(const std::string& from, const std::string& to,
                                 bool failIfExists) {
  const auto source = native(from);
  if (!source) return Status::failure(m_lastError.get());
  const auto target = native(to);
  if (!target) return Status::failure(m_lastError.get());
  struct stat sourceStat {};
  if (!statOrRecord(*source, sourceStat)) return Status::failure(m_lastError.get());
  if (S_ISDIR(sourceStat.st_mode)) return fail(kErrorAccessDenied);
  struct stat targetStat {};
  if (::stat(target->c_str(), &targetStat) == 0) {
    if (failIfExists) return fail(kErrorFileExists);
    // Copying a file onto itself would truncate the only copy of it.
    if (targetStat.st_dev == sourceStat.st_dev && targetStat.st_ino == sourceStat.st_ino) {
      return fail(kErrorSharingViolation);
    }
    if (S_ISDIR(targetStat.st_mode) || isReadOnly(targetStat)) return fail(kErrorAccessDenied);
  }
  return copyNative(*source, *target, sourceStat, failIfExists);
}

Status PosixFileSystem::copyNative(const std::string& from, const std::string& to,
                                   const struct stat& source, bool failIfExists) {
  Descriptor input(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (input.get() < 0) return failErrno(errno, from);
  FileBeside output;
  if (int error = output.open(to, 0600); error != 0) return failErrno(error, to);
  int error = copyData(input.get(), output.fd());
  if (error == 0) error = storeDosBits(output.path(), storedDosBits(from));
  if (error == ENOTSUP) error = 0;
  // The copy keeps the source's last-write time and permissions, its read-only bit included.
  const timespec times[2] = {{0, UTIME_NOW}, source.st_mtim};
  if (error == 0 && ::futimens(output.fd(), times) != 0) error = errno;
  if (error == 0 && ::fchmod(output.fd(), source.st_mode & 07777) != 0) error = errno;
  if (error == 0) {
    error = output.commit(failIfExists ? PutInPlace::kNeverReplacing : PutInPlace::kReplacing);
  }
  if (error == 0) return Status::success();
  if (error == EEXIST) return fail(kErrorFileExists);
  return fail(errorFromErrno(error, to, kErrorWriteFault));
}

Status PosixFileSystem::moveFile(const std::string& from, const std::string& to) {
  const auto source = native(from);
  if (!source) return Status::failure(m_lastError.get());
  const auto target = native(to);
  if (!target) return Status::failure(m_lastError.get());
  struct stat st {};
  if (::lstat(source->c_str(), &st) != 0) return failErrno(errno, *source);
  // A drive's root never moves.
  if (parseDrivePath(*resolveFullPath(from))->components.empty()) return fail(kErrorAccessDenied);
  std::string destination = *target;
  if (*target == *source) {
    // The target names the source itself: only its letter case may change.
    const auto parsed = parseDrivePath(*resolveFullPath(to));
    if (!parsed || parsed->components.empty()) return fail(kErrorAccessDenied);
    destination = parentOf(*source) + "/" + parsed->components.back();
    if (destination == *source) return Status::success();
  }
  const bool folder = S_ISDIR(st.st_mode);
  int error = withWriteBit(parentOf(*source), [&] {
    return withWriteBit(parentOf(destination), [&] {
      // Moving a folder to another parent rewrites its "..", which needs its own write bit.
      if (!folder) return renameNoReplace(*source, destination);
      return withWriteBit(*source, [&] { return renameNoReplace(*source, destination); });
    });
  });
  if (error == 0) return Status::success();
  if (error == EXDEV && !folder) {
    // Another file system (a drive linked elsewhere): a file moves as copy and delete.
    if (Status copied = copyNative(*source, destination, st, true); !copied) return copied;
    error =
        withWriteBit(parentOf(*source), [&] { return ::unlink(source->c_str()) == 0 ? 0 : errno; });
    return error == 0 ? Status::success() : failErrno(error, *source);
  }
  if (error == EINVAL) return fail(kErrorSharingViolation);  // a folder into itself
  return failErrno(error, destination);
}

}  // namespace platform::posix
