// Initialisation files read and written whole with the program's own profile rules.
#include "platform/win32/ProfileFiles_win32.h"

#include "platform/profile/ProfileText.h"

namespace platform::win32 {
namespace {

constexpr uint64_t kMaxFileSize = 64 * 1024 * 1024;

}  // namespace

Win32ProfileFiles::Win32ProfileFiles(FileSystem& files, TextCodec& codec, LastError& lastError)
    : m_files(files), m_codec(codec), m_lastError(lastError) {}

std::optional<std::string> Win32ProfileFiles::load(const std::string& file, bool missingIsEmpty) {
  const auto attributes = m_files.attributes(file);
  if (!attributes) {
    if (missingIsEmpty && (m_lastError.get() == kErrorFileNotFound)) return std::string();
    if (!missingIsEmpty) (void)fail(kErrorFileNotFound);
    return std::nullopt;
  }
  if ((*attributes & kAttrDirectory) != 0) {
    (void)fail(kErrorAccessDenied);
    return std::nullopt;
  }
  const auto size = m_files.fileSize(file);
  if (!size) return std::nullopt;
  if (*size > kMaxFileSize) {
    (void)fail(kErrorNotEnoughMemory);
    return std::nullopt;
  }
  return m_files.readFile(file);
}

std::optional<std::string> Win32ProfileFiles::readString(const std::string& file,
                                                         const std::string& section,
                                                         const std::string& key) {
  const auto bytes = load(file, false);
  if (!bytes) return std::nullopt;
  const auto value = readProfileString(*bytes, m_codec.toCp932(section), m_codec.toCp932(key));
  if (!value) {
    (void)fail(kErrorFileNotFound);
    return std::nullopt;
  }
  return m_codec.fromCp932(*value);
}

Status Win32ProfileFiles::writeString(const std::string& file, const std::string& section,
                                      const std::string& key, const std::string& value) {
  // Checked before reading: a read-only file is refused whatever the write would change.
  if (const auto attributes = m_files.attributes(file);
      attributes && (*attributes & kAttrReadOnly) != 0) {
    return fail(kErrorAccessDenied);
  }
  const auto bytes = load(file, true);
  if (!bytes) return fail(m_lastError.get() != kErrorSuccess ? m_lastError.get() : kErrorReadFault);
  const auto text = writeProfileString(*bytes, m_codec.toCp932(section), m_codec.toCp932(key),
                                       m_codec.toCp932(value));
  if (!text) return fail(kErrorInvalidParameter);
  return m_files.replaceFileAtomically(file, *text);
}

Status Win32ProfileFiles::flush(const std::string& /*file*/) { return Status::success(); }

}  // namespace platform::win32
