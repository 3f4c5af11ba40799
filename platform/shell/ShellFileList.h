// What the shell's silent move and copy of file lists does the same on every machine: wildcards,
// the checks before an entry goes, folders merging into folders, the first failure's code.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/ShellFiles.h"
#include "platform/Status.h"

namespace platform::shell {

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
// - a folder goes with its contents as a sub-folder of the destination; onto an existing
//   folder of the same name it merges into it (files replaced), and after a move the emptied
//   source goes;
// - a source that is the destination folder itself (in any letter case) is passed over, so an
//   installation's entries can be moved into one of its own sub-folders; a folder that holds the
//   destination fails with 0x76, a file copied onto itself with 0x71, a file onto a folder of
//   its name with 0x80, a folder onto a file with 0x83.
// A failure does not stop the rest: every other source is still done, and the first failure's
// code is returned and left as the last error (a Windows error code or one of the codes above);
// 0 when all went well. Nothing is undone. Folders deeper than 100 levels (a link loop) fail
// with 206. Each machine places the checked entries its own way.
class ShellFileList : public ShellFiles {
 public:
  int fileOperation(ShellOperation op, const std::vector<std::string>& sources,
                    const std::string& destination) final;

 protected:
  ShellFileList(FileSystem& files, LastError& lastError);

  // Puts one checked entry into the folder `into` as `target`: a file (replacing `existing`, a
  // file, if there is one), or a folder with nothing of its name there yet. The folder `into`
  // may not exist yet. Returns 0 or a code.
  virtual int place(ShellOperation op, const std::string& source, const std::string& into,
                    const std::string& target, bool folder, std::optional<uint32_t> existing,
                    int depth) = 0;

  // One entry into the folder `into`: the checks, then a merge or place(); 0 or a code.
  int transfer(ShellOperation op, const std::string& source, const std::string& into, int depth);
  // A folder's entries into the existing folder `target`; after a move the emptied source goes.
  int mergeFolder(ShellOperation op, const std::string& source, const std::string& target,
                  int depth);
  // Clears the read-only attribute of `path` when `attributes` has it; 0 or the code.
  int makeWritable(const std::string& path, std::optional<uint32_t> attributes);
  int record(int code);

  static std::string join(const std::string& folder, const std::string& name);
  static bool isDotEntry(const FindEntry& entry);

  FileSystem& m_files;
  LastError& m_lastError;
};

}  // namespace platform::shell
