// The registry: string and binary values under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER.
#pragma once

#include <optional>
#include <string>

#include "platform/Status.h"

namespace platform {

enum class RegistryRoot { LocalMachine, CurrentUser };

// Key and value names match without regard to ASCII case. Failures are recorded in LastError.
class Registry {
 public:
  virtual ~Registry() = default;
  virtual bool keyExists(RegistryRoot root, const std::string& key) = 0;
  // A string value; nullopt when the key or value is missing or the value is not a string.
  virtual std::optional<std::string> readString(RegistryRoot root, const std::string& key,
                                                const std::string& name) = 0;
  // Writes a string value into an existing key (the key is not created).
  virtual Status writeString(RegistryRoot root, const std::string& key, const std::string& name,
                             const std::string& value) = 0;
  // Creates a key with its missing parents; success when it exists.
  virtual Status createKey(RegistryRoot root, const std::string& key) = 0;
  // Writes a binary value into an existing key.
  virtual Status writeBinary(RegistryRoot root, const std::string& key, const std::string& name,
                             const std::string& bytes) = 0;
};

}  // namespace platform
