// Initialisation files ("Install.ini", "PICTDESK.INI") read and written whole by the program.
#pragma once

#include <optional>
#include <string>

#include "platform/FileSystem.h"
#include "platform/ProfileFiles.h"
#include "platform/Status.h"
#include "platform/TextCodec.h"

namespace platform::win32 {

// The program's own profile rules on the file's CP932 bytes, not the system's profile
// functions (whose name comparison follows the system code page, and which cache writes).
// Names and values cross the boundary as UTF-8. Each write reaches the disk at once, replacing
// the file through one written beside it, so flush has nothing left to do. Failures are
// recorded in LastError: 2 file, section or key missing; 5 the file is read-only or a folder;
// 3 its folder is missing; 8 the file is larger than 64 MB; 87 a name or value the file
// cannot hold.
class Win32ProfileFiles final : public ProfileFiles {
 public:
  Win32ProfileFiles(FileSystem& files, TextCodec& codec, LastError& lastError);

  std::optional<std::string> readString(const std::string& file, const std::string& section,
                                        const std::string& key) override;
  Status writeString(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value) override;
  Status flush(const std::string& file) override;

 private:
  std::optional<std::string> load(const std::string& file, bool missingIsEmpty);
  Status fail(int code) { return m_lastError.record(Status::failure(code)); }

  FileSystem& m_files;
  TextCodec& m_codec;
  LastError& m_lastError;
};

}  // namespace platform::win32
