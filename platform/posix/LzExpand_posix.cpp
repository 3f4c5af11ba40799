// SZDD expansion on Linux: format detection as the LZ functions do it, a temporary file
// beside the target, and libmspack's decoder for the compressed stream.
#include "platform/posix/LzExpand_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/posix/FileErrors_posix.h"
#include "platform/posix/NativeFile_posix.h"
#include "platform/posix/SzddDecoder_mspack.h"

namespace platform::posix {

namespace {

constexpr std::array<unsigned char, 8> kSzddSignature = {'S',  'Z',  'D',  'D',
                                                         0x88, 0xF0, 0x27, 0x33};
constexpr size_t kHeaderSize = 14;
constexpr unsigned char kMethodLzss = 'A';
constexpr size_t kCopyBuffer = 256 * 1024;

// Reads up to `size` bytes at `offset`, retrying short reads; -1 on error.
ssize_t readAt(int fd, unsigned char* buffer, size_t size, off_t offset) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::pread(fd, buffer + done, size - done, offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

Status copyAll(int input, int output, const std::string& target) {
  std::vector<char> buffer(kCopyBuffer);
  for (;;) {
    ssize_t n = ::read(input, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Status::failure(kErrorReadFault);
    if (n == 0) return Status::success();
    if (int error = writeAll(output, buffer.data(), static_cast<size_t>(n)); error != 0) {
      return Status::failure(errorFromErrno(error, target, kErrorWriteFault));
    }
  }
}

// Copies or expands the open source into `output`, by what its first bytes say.
Status expandOpen(int input, int output, const std::string& target) {
  std::array<unsigned char, kHeaderSize> header{};
  ssize_t got = readAt(input, header.data(), header.size(), 0);
  if (got < 0) return Status::failure(kErrorReadFault);
  const bool signature =
      static_cast<size_t>(got) >= kSzddSignature.size() &&
      std::memcmp(header.data(), kSzddSignature.data(), kSzddSignature.size()) == 0;
  // Not compressed (the QBasic variant included): the LZ functions copy it as it stands.
  if (!signature) return copyAll(input, output, target);
  if (static_cast<size_t>(got) < kHeaderSize || header[8] != kMethodLzss) {
    return Status::failure(kErrorInvalidData);
  }
  // header[9] is the name's missing last letter, which the restore rule already supplies.
  const uint32_t length =
      static_cast<uint32_t>(header[10]) | static_cast<uint32_t>(header[11]) << 8 |
      static_cast<uint32_t>(header[12]) << 16 | static_cast<uint32_t>(header[13]) << 24;
  return decodeSzdd(input, output, length);
}

}  // namespace

MspackLzExpand::MspackLzExpand(const MachineFolder& machine, LastError& lastError)
    : m_machine(machine), m_lastError(lastError) {}

Status MspackLzExpand::expand(const std::string& source, const std::string& target) {
  auto nativeSource = m_machine.nativePath(source);
  auto nativeTarget = m_machine.nativePath(target);
  if (!nativeSource || !nativeTarget)
    return m_lastError.record(Status::failure(kErrorPathNotFound));
  return m_lastError.record(expandNative(*nativeSource, *nativeTarget));
}

Status MspackLzExpand::expandNative(const std::string& source, const std::string& target) {
  struct stat targetStat {};
  const bool targetExists = ::stat(target.c_str(), &targetStat) == 0;
  // Read-only is the owner's write bit; it holds for root too, so it is checked here.
  if (targetExists && (S_ISDIR(targetStat.st_mode) || (targetStat.st_mode & S_IWUSR) == 0)) {
    return Status::failure(kErrorAccessDenied);
  }

  Descriptor input(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat sourceStat {};
  Status status = Status::success();
  if (input.get() < 0) {
    status = Status::failure(errorFromErrno(errno, source, kErrorReadFault));
  } else if (::fstat(input.get(), &sourceStat) != 0) {
    status = Status::failure(kErrorReadFault);
  } else if (S_ISDIR(sourceStat.st_mode)) {
    status = Status::failure(kErrorAccessDenied);
  }
  const bool sameFile = targetExists && input.get() >= 0 &&
                        sourceStat.st_dev == targetStat.st_dev &&
                        sourceStat.st_ino == targetStat.st_ino;

  if (status.ok()) {
    FileBeside output;
    int error = output.open(target, 0666);
    if (error == 0) {
      status = expandOpen(input.get(), output.fd(), target);
      // The replaced file keeps its permissions, as an overwritten file would.
      if (status.ok() && targetExists && ::fchmod(output.fd(), targetStat.st_mode & 07777) != 0) {
        error = errno;
      }
      if (status.ok() && error == 0) error = output.commit(PutInPlace::kReplacing);
    }
    if (error != 0) status = Status::failure(errorFromErrno(error, target, kErrorWriteFault));
  }
  // A failed expansion leaves no old or partial target that could pass for a good one.
  if (!status.ok() && targetExists && !sameFile) (void)::unlink(target.c_str());
  return status;
}

}  // namespace platform::posix
