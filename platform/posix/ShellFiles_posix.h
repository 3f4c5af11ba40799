// The shell's silent move and copy of file lists, built on the machine's file system.
#pragma once

#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/ShellFiles.h"
#include "platform/Status.h"

namespace platform::posix {

// Shell error codes for the cases a file call does not name.
inline constexpr int kShellSameFile = 0x71;           // a file copied onto itself
inline constexpr int kShellDestinationInside = 0x76;  // a folder moved or copied into itself
inline constexpr int kShellFileOntoFolder = 0x80;     // a file would replace a folder
inline constexpr int kShellFolderOntoFile = 0x83;     // a folder would replace a file

// Moves or copies as SHFileOperation does with no progress window and every question answered
// yes (FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR):
// - each source is a file or folder, or a wildcard in its last component standing for the
//   matching entries ("." and ".." excluded) of its folder; a wildcard matching nothing moves
//   nothing and is no failure, a missing folder before it is (3);
// - the destination is always a folder, created with its parents when something goes there
//   (also for a single source, which therefore never gets renamed to the destination's name);
// - an entry keeps the name its source path gives it (a wildcard gives the names on disk);
// - an existing file of the same name is replaced, a read-only one too;
// - a folder goes with its contents as a sub-folder of the destination; moved onto an existing
//   folder of the same name it merges into it (files replaced), then the emptied source goes;
// - a source that is the destination folder itself (in any letter case) is passed over, so an
//   installation's entries can be moved into one of its own sub-folders; a folder that holds the
//   destination fails with 0x76, a file copied onto itself with 0x71.
// A failure does not stop the rest: every other source is still done, and the first failure's
// code is returned (a Windows error code or one of the codes above); 0 when all went well.
// Nothing is undone. Folders deeper than 100 levels (a link loop) fail with 206.
class PosixShellFiles final : public ShellFiles {
 public:
  PosixShellFiles(FileSystem& files, LastError& lastError);
  int fileOperation(ShellOperation op, const std::vector<std::string>& sources,
                    const std::string& destination) override;

 private:
  // Moves or copies one entry into the folder `into`; 0 or a code.
  int transfer(ShellOperation op, const std::string& source, const std::string& into, int depth);
  int moveFolderContents(const std::string& source, const std::string& target, int depth);
  int copyFolder(const std::string& source, const std::string& target, int depth);
  // Makes room for a file at `target`: clears a read-only attribute, removes the old file.
  int clearFileTarget(const std::string& target);
  int record(int code);

  FileSystem& m_files;
  LastError& m_lastError;
};

}  // namespace platform::posix
