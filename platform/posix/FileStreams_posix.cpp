// Files of the machine folder read and written in pieces, straight from and to the disk.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/posix/FileErrors_posix.h"
#include "platform/posix/FileSystem_posix.h"
#include "platform/posix/NativeFile_posix.h"

namespace platform::posix {
namespace {

class DescriptorReader final : public FileReader {
 public:
  DescriptorReader(int fd, LastError& lastError) : m_fd(fd), m_lastError(lastError) {}
  std::optional<size_t> read(char* buffer, size_t size) override {
    for (;;) {
      const ssize_t got = ::read(m_fd.get(), buffer, size);
      if (got >= 0) return static_cast<size_t>(got);
      if (errno == EINTR) continue;
      m_lastError.set(kErrorReadFault);
      return std::nullopt;
    }
  }

 private:
  Descriptor m_fd;
  LastError& m_lastError;
};

class DescriptorWriter final : public FileWriter {
 public:
  DescriptorWriter(int fd, std::string native, LastError& lastError)
      : m_fd(fd), m_native(std::move(native)), m_lastError(lastError) {}
  Status write(const char* data, size_t size) override {
    return fail(writeAll(m_fd.get(), data, size));
  }
  Status close() override { return fail(m_fd.reset()); }

 private:
  Status fail(int error) {
    if (error == 0) return Status::success();
    return m_lastError.record(Status::failure(errorFromErrno(error, m_native, kErrorWriteFault)));
  }
  Descriptor m_fd;
  std::string m_native;
  LastError& m_lastError;
};

}  // namespace

std::unique_ptr<FileReader> PosixFileSystem::openForReading(const std::string& path) {
  const auto n = native(path);
  if (!n) return nullptr;
  const int fd = ::open(n->c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    (void)failErrno(errno, *n);
    return nullptr;
  }
  auto reader = std::make_unique<DescriptorReader>(fd, m_lastError);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    (void)fail(kErrorAccessDenied);
    return nullptr;
  }
  return reader;
}

std::unique_ptr<FileWriter> PosixFileSystem::createForWriting(const std::string& path) {
  const auto n = native(path);
  if (!n) return nullptr;
  struct stat st {};
  if (::stat(n->c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || isReadOnly(st))) {
    (void)fail(kErrorAccessDenied);
    return nullptr;
  }
  int fd = -1;
  const int error = withWriteBit(parentOf(*n), [&] {
    fd = ::open(n->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return fd >= 0 ? 0 : errno;
  });
  if (error != 0) {
    (void)failErrno(error, *n);
    return nullptr;
  }
  return std::make_unique<DescriptorWriter>(fd, *n, m_lastError);
}

}  // namespace platform::posix
