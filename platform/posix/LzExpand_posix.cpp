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

#include "platform/posix/LzErrno_posix.h"
#include "platform/posix/SzddDecoder_mspack.h"

namespace platform::posix {

namespace {

constexpr std::array<unsigned char, 8> kSzddSignature = {'S',  'Z',  'D',  'D',
                                                         0x88, 0xF0, 0x27, 0x33};
constexpr size_t kHeaderSize = 14;
constexpr unsigned char kMethodLzss = 'A';
constexpr size_t kCopyBuffer = 256 * 1024;

// A descriptor closed when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : m_fd(fd) {}
  ~Descriptor() { reset(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return m_fd; }
  void adopt(int fd) {
    reset();
    m_fd = fd;
  }
  // Closes now; false (errno set) when the close reports a late write error.
  bool reset() {
    int fd = m_fd;
    m_fd = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int m_fd;
};

std::string parentOf(const std::string& nativePath) {
  size_t slash = nativePath.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : nativePath.substr(0, slash);
}

bool isFolder(const std::string& nativePath) {
  struct stat st {};
  return ::stat(nativePath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

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

Status copyAll(int input, int output) {
  std::vector<char> buffer(kCopyBuffer);
  for (;;) {
    ssize_t n = ::read(input, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Status::failure(lzErrorFromErrno(errno, kErrorReadFault));
    if (n == 0) return Status::success();
    size_t done = 0;
    while (done < static_cast<size_t>(n)) {
      ssize_t w = ::write(output, buffer.data() + done, static_cast<size_t>(n) - done);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return Status::failure(lzErrorFromErrno(w < 0 ? errno : EIO, kErrorWriteFault));
      done += static_cast<size_t>(w);
    }
  }
}

// Copies or expands the open source into `output`, by what its first bytes say.
Status expandOpen(int input, int output) {
  std::array<unsigned char, kHeaderSize> header{};
  ssize_t got = readAt(input, header.data(), header.size(), 0);
  if (got < 0) return Status::failure(lzErrorFromErrno(errno, kErrorReadFault));
  const bool signature =
      static_cast<size_t>(got) >= kSzddSignature.size() &&
      std::memcmp(header.data(), kSzddSignature.data(), kSzddSignature.size()) == 0;
  // Not compressed (the QBasic variant included): the LZ functions copy it as it stands.
  if (!signature) return copyAll(input, output);
  if (static_cast<size_t>(got) < kHeaderSize || header[8] != kMethodLzss) {
    return Status::failure(kErrorInvalidData);
  }
  // header[9] is the name's missing last letter, which the restore rule already supplies.
  const uint32_t length =
      static_cast<uint32_t>(header[10]) | static_cast<uint32_t>(header[11]) << 8 |
      static_cast<uint32_t>(header[12]) << 16 | static_cast<uint32_t>(header[13]) << 24;
  return decodeSzdd(input, output, length);
}

// A new file beside the target, named so that no listing of the program mistakes it for one
// of its own; created with the ordinary permissions for new files.
std::optional<std::string> createTemporary(const std::string& folder, Descriptor& fd, int& error) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string path =
        folder + "/.~lzexpand-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    int created = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (created >= 0) {
      fd.adopt(created);
      return path;
    }
    if (errno != EEXIST) break;
  }
  error = errno;
  return std::nullopt;
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
    int error = errno;
    status = Status::failure(error == ENOENT && isFolder(parentOf(source))
                                 ? kErrorFileNotFound
                                 : lzErrorFromErrno(error, kErrorReadFault));
  } else if (::fstat(input.get(), &sourceStat) != 0) {
    status = Status::failure(lzErrorFromErrno(errno, kErrorReadFault));
  } else if (S_ISDIR(sourceStat.st_mode)) {
    status = Status::failure(kErrorAccessDenied);
  }
  const bool sameFile = targetExists && input.get() >= 0 &&
                        sourceStat.st_dev == targetStat.st_dev &&
                        sourceStat.st_ino == targetStat.st_ino;

  if (status.ok()) {
    Descriptor output;
    int error = 0;
    auto temporary = createTemporary(parentOf(target), output, error);
    if (!temporary) {
      status = Status::failure(lzErrorFromErrno(error, kErrorWriteFault));
    } else {
      status = expandOpen(input.get(), output.get());
      // The replaced file keeps its permissions, as an overwritten file would.
      if (status.ok() && targetExists && ::fchmod(output.get(), targetStat.st_mode & 07777) != 0) {
        status = Status::failure(lzErrorFromErrno(errno, kErrorWriteFault));
      }
      if (!output.reset() && status.ok()) {
        status = Status::failure(lzErrorFromErrno(errno, kErrorWriteFault));
      }
      if (status.ok() && ::rename(temporary->c_str(), target.c_str()) != 0) {
        status = Status::failure(lzErrorFromErrno(errno, kErrorWriteFault));
      }
      if (!status.ok()) (void)::unlink(temporary->c_str());
    }
  }
  // A failed expansion leaves no old or partial target that could pass for a good one.
  if (!status.ok() && targetExists && !sameFile) (void)::unlink(target.c_str());
  return status;
}

}  // namespace platform::posix
