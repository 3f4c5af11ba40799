// The Windows machine modelled inside one Linux folder, as Wine does.
#pragma once

#include <optional>
#include <string>

namespace platform::posix {

// Drive X: is <prefix>/drive_x (lower-case letter; may be a symbolic link). Each component of a
// Windows path is looked up among the existing entries without regard to ASCII case; a missing
// component keeps the case it was given. Names on disk are UTF-8.
class MachineFolder {
 public:
  explicit MachineFolder(std::string prefix);
  // $BREVAN_PREFIX, else $HOME/.brevan.
  static std::string defaultPrefix();
  const std::string& prefix() const { return m_prefix; }

  // The native path of a Windows path ("C:\A\b.txt"); nullopt when its drive has no folder or
  // the path is not an absolute drive path.
  std::optional<std::string> nativePath(const std::string& windowsPath) const;
  // Creates drive_c/WINDOWS and drive_c/TEMP when missing.
  void ensureSystemFolders() const;

 private:
  std::string m_prefix;
};

}  // namespace platform::posix
