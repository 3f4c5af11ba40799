// The registry of the machine folder: the text file <prefix>/registry.reg.
#pragma once

#include <optional>
#include <string>

#include "platform/Registry.h"
#include "platform/Status.h"
#include "platform/posix/MachineFolder.h"
#include "platform/posix/RegistryText.h"

namespace platform::posix {

// Every call reads the file afresh; every write reads it, changes one key or value and
// replaces the file through a file written beside it, so other keys and values (and lines it
// cannot read) survive and a failed write leaves the old file whole. A missing file is an empty
// registry. The file's owner write bit cleared makes the registry read-only, for root too.
// Failures are recorded in LastError:
//   2   the key (or, for reads, the value) does not exist;
//   5   the file is read-only, a folder, or cannot be replaced;
//   8   the file is larger than any registry this program keeps (64 MB);
//   13  readString of a value that is not a string;
//   87  a key or value name with a line break or NUL, or an empty key path;
//   other file errors as the file system reports them (3 prefix missing, 112 disk full, ...).
class PosixRegistry final : public Registry {
 public:
  PosixRegistry(const MachineFolder& machine, LastError& lastError);

  bool keyExists(RegistryRoot root, const std::string& key) override;
  std::optional<std::string> readString(RegistryRoot root, const std::string& key,
                                        const std::string& name) override;
  Status writeString(RegistryRoot root, const std::string& key, const std::string& name,
                     const std::string& value) override;
  Status createKey(RegistryRoot root, const std::string& key) override;
  Status writeBinary(RegistryRoot root, const std::string& key, const std::string& name,
                     const std::string& bytes) override;

  std::string filePath() const;

 private:
  // Reads the file into `document`; 0, or the Windows code of the failure.
  int load(RegistryDocument& document) const;
  // Replaces the file with the document's text; fails when the file is read-only.
  Status store(const RegistryDocument& document);
  Status writeValue(RegistryRoot root, const std::string& key, RegistryValue value);
  Status fail(int code) { return m_lastError.record(Status::failure(code)); }

  const MachineFolder& m_machine;
  LastError& m_lastError;
};

}  // namespace platform::posix
