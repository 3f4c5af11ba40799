// Initialisation files ("Install.ini", "PICTDESK.INI"), kept in code page 932 on disk.
#pragma once

#include <optional>
#include <string>

#include "platform/Status.h"

namespace platform {

// Works like the Windows profile functions: sections and keys match without regard to case,
// every other section and key is kept, values come back as written (blanks around them cut).
class ProfileFiles {
 public:
  virtual ~ProfileFiles() = default;
  // The value of a key; nullopt when the file, the section or the key is missing.
  virtual std::optional<std::string> readString(const std::string& file, const std::string& section,
                                                const std::string& key) = 0;
  // Sets a key, creating the file and the section when missing.
  virtual Status writeString(const std::string& file, const std::string& section,
                             const std::string& key, const std::string& value) = 0;
  // Makes every write so far reach the disk.
  virtual Status flush(const std::string& file) = 0;
};

}  // namespace platform
