// The registry of the machine folder: the text file <prefix>/registry.reg.
#include "platform/posix/Registry_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/posix/FileErrors_posix.h"
#include "platform/posix/NativeFile_posix.h"

namespace platform::posix {
namespace {

constexpr off_t kMaxFileSize = 64 * 1024 * 1024;

std::string_view rootName(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

// The full key path, or nullopt when the key names no key below the root or cannot be stored.
std::optional<std::string> keyPath(RegistryRoot root, const std::string& key) {
  if (!registryNameStorable(key)) return std::nullopt;
  std::string path = registryKeyPath(rootName(root), key);
  if (path.size() == rootName(root).size()) return std::nullopt;
  return path;
}

}  // namespace

PosixRegistry::PosixRegistry(const MachineFolder& machine, LastError& lastError)
    : m_machine(machine), m_lastError(lastError) {}

std::string PosixRegistry::filePath() const { return m_machine.prefix() + "/registry.reg"; }

int PosixRegistry::load(RegistryDocument& document) const {
  const std::string path = filePath();
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT) return 0;  // no file yet: an empty registry
    return errorFromErrno(errno, path);
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return errorFromErrno(errno, path, kErrorReadFault);
  if (S_ISDIR(st.st_mode)) return kErrorAccessDenied;
  if (st.st_size > kMaxFileSize) return kErrorNotEnoughMemory;
  std::string text;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return kErrorReadFault;
    if (got == 0) break;
    text.append(buffer, static_cast<size_t>(got));
    if (text.size() > static_cast<size_t>(kMaxFileSize)) return kErrorNotEnoughMemory;
  }
  document = parseRegistryText(text);
  return 0;
}

Status PosixRegistry::store(const RegistryDocument& document) {
  const std::string path = filePath();
  struct stat old {};
  const bool exists = ::stat(path.c_str(), &old) == 0;
  if (exists && (S_ISDIR(old.st_mode) || isReadOnly(old))) return fail(kErrorAccessDenied);

  FileBeside file;
  int error = file.open(path, 0644);
  const std::string text = formatRegistryText(document);
  if (error == 0) error = file.write(text.data(), text.size());
  if (error == 0 && exists && ::fchmod(file.fd(), old.st_mode & 07777) != 0) error = errno;
  if (error == 0) error = file.commit(PutInPlace::kReplacingDurably);
  if (error != 0) return fail(errorFromErrno(error, path, kErrorWriteFault));
  return Status::success();
}

bool PosixRegistry::keyExists(RegistryRoot root, const std::string& key) {
  auto path = keyPath(root, key);
  RegistryDocument document;
  if (!path || load(document) != 0) return false;
  return document.keyExists(*path);
}

std::optional<std::string> PosixRegistry::readString(RegistryRoot root, const std::string& key,
                                                     const std::string& name) {
  auto path = keyPath(root, key);
  if (!path) {
    (void)fail(kErrorInvalidParameter);
    return std::nullopt;
  }
  RegistryDocument document;
  if (int code = load(document); code != 0) {
    (void)fail(code);
    return std::nullopt;
  }
  const RegistryKey* found = document.findKey(*path);
  const RegistryValue* value = found ? found->findValue(name) : nullptr;
  if (!value) {
    (void)fail(kErrorFileNotFound);
    return std::nullopt;
  }
  auto text = value->stringValue();
  if (!text) (void)fail(kErrorInvalidData);
  return text;
}

Status PosixRegistry::writeValue(RegistryRoot root, const std::string& key, RegistryValue value) {
  auto path = keyPath(root, key);
  if (!path || !registryNameStorable(value.name)) return fail(kErrorInvalidParameter);
  RegistryDocument document;
  if (int code = load(document); code != 0) return fail(code);
  if (!document.keyExists(*path)) return fail(kErrorFileNotFound);
  // A key implied by a section below it gets its own section now.
  document.createKey(*path).setValue(std::move(value));
  return store(document);
}

Status PosixRegistry::writeString(RegistryRoot root, const std::string& key,
                                  const std::string& name, const std::string& value) {
  return writeValue(root, key, RegistryValue::text(name, value));
}

Status PosixRegistry::writeBinary(RegistryRoot root, const std::string& key,
                                  const std::string& name, const std::string& bytes) {
  return writeValue(root, key, RegistryValue::bytes(name, kRegBinary, bytes));
}

Status PosixRegistry::createKey(RegistryRoot root, const std::string& key) {
  auto path = keyPath(root, key);
  if (!path) return fail(kErrorInvalidParameter);
  RegistryDocument document;
  if (int code = load(document); code != 0) return fail(code);
  if (document.keyExists(*path)) return Status::success();
  (void)document.createKey(*path);
  return store(document);
}

}  // namespace platform::posix
