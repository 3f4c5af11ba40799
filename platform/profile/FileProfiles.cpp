// Initialisation files of the machine, read and written whole with the profile rules.
#include "platform/profile/FileProfiles.h"

#include "platform/profile/ProfileText.h"

namespace platform::profile {
namespace {

constexpr uint64_t kMaxFileSize = 64 * 1024 * 1024;

}  // namespace

FileProfiles::FileProfiles(FileSystem& files, TextCodec& codec, LastError& lastError)
    : m_files(files), m_codec(codec), m_lastError(lastError) {}

std::optional<std::string> FileProfiles::load(const std::string& file, bool missingIsEmpty) {
  const auto attributes = m_files.attributes(file);
  if (!attributes) {
    if (missingIsEmpty) return std::string();
    (void)fail(kErrorFileNotFound);
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

std::optional<std::string> FileProfiles::readString(const std::string& file,
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

Status FileProfiles::writeString(const std::string& file, const std::string& section,
                                 const std::string& key, const std::string& value) {
  // Checked before reading: a read-only file is refused whatever the write would change.
  if (const auto attributes = m_files.attributes(file);
      attributes && (*attributes & kAttrReadOnly) != 0) {
    return fail(kErrorAccessDenied);
  }
  const auto bytes = load(file, true);
  if (!bytes) {
    // The file system has recorded why; should it not have, say the file could not be read.
    return fail(m_lastError.get() != kErrorSuccess ? m_lastError.get() : kErrorReadFault);
  }
  const auto text = writeProfileString(*bytes, m_codec.toCp932(section), m_codec.toCp932(key),
                                       m_codec.toCp932(value));
  if (!text) return fail(kErrorInvalidParameter);
  return m_files.replaceFileAtomically(file, *text);
}

Status FileProfiles::flush(const std::string& /*file*/) { return Status::success(); }

}  // namespace platform::profile
