// Initialisation files of the machine ("Install.ini", "PICTDESK.INI"), read and written whole
// through the file system with the program's own profile rules, on every platform: the system's
// profile functions compare keys by the system code page, which CP932 keys must not depend on.
#pragma once

#include <optional>
#include <string>

#include "platform/FileSystem.h"
#include "platform/ProfileFiles.h"
#include "platform/Status.h"
#include "platform/TextCodec.h"

namespace platform::profile {

// Reads and edits the file's CP932 bytes with the profile rules of platform/profile/ProfileText.h;
// names and values cross the boundary as UTF-8. Each write reaches the disk at once, replacing
// the file through one written beside it, so flush has nothing left to do. Nothing is cached:
// a change made to the file by anyone else is seen at the next call.
// Failures are recorded in LastError:
//   readString: 2 file, section or key missing (other file errors as the file system says);
//   writeString: 5 the file is read-only or a folder; 3 its folder is missing; 8 the file is
//     larger than 64 MB; 87 a name or value the file cannot hold (see writeProfileString).
class FileProfiles final : public ProfileFiles {
 public:
  FileProfiles(FileSystem& files, TextCodec& codec, LastError& lastError);

  std::optional<std::string> readString(const std::string& file, const std::string& section,
                                        const std::string& key) override;
  Status writeString(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value) override;
  Status flush(const std::string& file) override;

 private:
  // The file's bytes; an empty text for a missing file when `missingIsEmpty`, else nullopt
  // with the failure recorded.
  std::optional<std::string> load(const std::string& file, bool missingIsEmpty);
  Status fail(int code) { return m_lastError.record(Status::failure(code)); }

  FileSystem& m_files;
  TextCodec& m_codec;
  LastError& m_lastError;
};

}  // namespace platform::profile
