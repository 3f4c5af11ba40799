// The shell's silent file operation (SHFileOperation with no questions).
#pragma once

#include <string>
#include <vector>

namespace platform {

enum class ShellOperation { Move, Copy };

class ShellFiles {
 public:
  virtual ~ShellFiles() = default;
  // Moves or copies each source (a path, whose last component may be a wildcard) into the
  // destination folder, which is created when missing. Folders go with their contents, existing
  // files are replaced, nothing is asked. Returns 0 on success, else a non-zero code.
  virtual int fileOperation(ShellOperation op, const std::vector<std::string>& sources,
                            const std::string& destination) = 0;
};

}  // namespace platform
