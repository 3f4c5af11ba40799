// The shell's silent move and copy of file lists, built on the machine's file system.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/shell/ShellFileList.h"

namespace platform::posix {

using shell::kShellDestinationInside;
using shell::kShellFileOntoFolder;
using shell::kShellFolderOntoFile;
using shell::kShellSameFile;

// The list operation of shell::ShellFileList, each entry moved or copied through the machine's
// file system; a folder moved to another file system goes entry by entry.
class PosixShellFiles final : public shell::ShellFileList {
 public:
  PosixShellFiles(FileSystem& files, LastError& lastError) : ShellFileList(files, lastError) {}

 private:
  int place(ShellOperation op, const std::string& source, const std::string& into,
            const std::string& target, bool folder, std::optional<uint32_t> existing,
            int depth) override;
};

}  // namespace platform::posix
