// The shell's silent move and copy of file lists, through SHFileOperationW.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/shell/ShellFileList.h"

namespace platform::win32 {

using shell::kShellDestinationInside;
using shell::kShellFileOntoFolder;
using shell::kShellFolderOntoFile;
using shell::kShellSameFile;

// The list operation of shell::ShellFileList, each checked entry handed to SHFileOperationW on
// its own (FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI). Wildcards,
// the checks and folders merging into folders are ours: the shell's answers to them differ
// between versions (Wine reports success for a folder moved onto one of its name and moves
// nothing).
class Win32ShellFiles final : public shell::ShellFileList {
 public:
  Win32ShellFiles(FileSystem& files, LastError& lastError) : ShellFileList(files, lastError) {}

 private:
  int place(ShellOperation op, const std::string& source, const std::string& into,
            const std::string& target, bool folder, std::optional<uint32_t> existing,
            int depth) override;
};

}  // namespace platform::win32
