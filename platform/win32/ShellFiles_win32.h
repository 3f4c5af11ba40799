// The shell's silent move and copy of file lists, through SHFileOperationW.
#pragma once

#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/ShellFiles.h"
#include "platform/Status.h"

namespace platform::win32 {

// Shell error codes for the cases checked before the shell is asked.
inline constexpr int kShellSameFile = 0x71;           // a file copied onto itself
inline constexpr int kShellDestinationInside = 0x76;  // a folder moved or copied into itself
inline constexpr int kShellFileOntoFolder = 0x80;     // a file would replace a folder
inline constexpr int kShellFolderOntoFile = 0x83;     // a folder would replace a file

// Each source entry goes to SHFileOperationW on its own (FOF_SILENT | FOF_NOCONFIRMATION |
// FOF_NOCONFIRMMKDIR | FOF_NOERRORUI), so a failure does not stop the rest; the first failure's
// code is returned, 0 when all went well. Wildcards are expanded here, "." and ".." left out;
// one that matches nothing moves nothing and is no failure, a missing folder before it is (3).
// The destination is created with its parents before the first entry goes there, so a single
// source is never renamed to the destination's name. A source that is the destination folder
// itself is passed over by a move; a folder holding the destination fails with 0x76, a file
// copied onto itself with 0x71, a file onto a folder of its name 0x80, a folder onto a file
// 0x83. Existing files are replaced, read-only ones too; a folder merges into an existing one
// (its entries one by one, the emptied source removed after a move). Folders deeper than 100
// levels (a link loop) fail with 206.
class Win32ShellFiles final : public ShellFiles {
 public:
  Win32ShellFiles(FileSystem& files, LastError& lastError);
  int fileOperation(ShellOperation op, const std::vector<std::string>& sources,
                    const std::string& destination) override;

 private:
  // Moves or copies one entry into the folder `into`; 0 or a code.
  int transfer(ShellOperation op, const std::string& source, const std::string& into, int depth);
  // Moves or copies a folder's entries into an existing folder of its name.
  int mergeFolder(ShellOperation op, const std::string& source, const std::string& target,
                  int depth);
  int record(int code);

  FileSystem& m_files;
  LastError& m_lastError;
};

}  // namespace platform::win32
