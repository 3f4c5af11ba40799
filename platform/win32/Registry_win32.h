// The real registry, in the 32-bit view where the 32-bit product keeps its key.
#pragma once

#include <optional>
#include <string>

#include "platform/Registry.h"
#include "platform/Status.h"

namespace platform::win32 {

// Every key is opened with KEY_WOW64_32KEY, in the 32-bit and the 64-bit build alike, so both
// read and write "HKEY_LOCAL_MACHINE\SOFTWARE\Wow6432Node\…" on 64-bit Windows. Names are in
// UTF-8 and match as the registry matches them. Failures are recorded in LastError with the
// registry's code: 2 the key (or, for reads, the value) does not exist; 5 access denied;
// 13 readString of a value that is not a string; 87 an empty key path or a name with a NUL.
class Win32Registry final : public Registry {
 public:
  explicit Win32Registry(LastError& lastError);

  bool keyExists(RegistryRoot root, const std::string& key) override;
  // REG_SZ, or REG_EXPAND_SZ as stored (not expanded); a missing terminating NUL is no matter.
  std::optional<std::string> readString(RegistryRoot root, const std::string& key,
                                        const std::string& name) override;
  Status writeString(RegistryRoot root, const std::string& key, const std::string& name,
                     const std::string& value) override;
  Status createKey(RegistryRoot root, const std::string& key) override;
  Status writeBinary(RegistryRoot root, const std::string& key, const std::string& name,
                     const std::string& bytes) override;

 private:
  Status writeValue(RegistryRoot root, const std::string& key, const std::string& name,
                    unsigned long type, const void* data, size_t size);
  Status fail(long code) { return m_lastError.record(Status::failure(static_cast<int>(code))); }

  LastError& m_lastError;
};

}  // namespace platform::win32
