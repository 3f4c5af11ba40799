// The shell's silent move and copy of file lists, on the machine's file system.
#include "platform/posix/ShellFiles_posix.h"

namespace platform::posix {

int PosixShellFiles::place(ShellOperation op, const std::string& source, const std::string& into,
                           const std::string& target, bool folder, std::optional<uint32_t> existing,
                           int depth) {
  // The destination is made once something is known to go there.
  if (depth == 0 && !m_files.folderExists(into)) {
    if (Status created = m_files.createFolders(into); !created) return created.error;
  }
  if (folder) {
    if (op == ShellOperation::Move) {
      Status moved = m_files.moveFile(source, target);
      if (moved.ok() || moved.error != kErrorNotSameDevice) return moved.error;
      // Another file system: the folder goes entry by entry.
    }
    if (Status created = m_files.createFolder(target); !created) return created.error;
    return mergeFolder(op, source, target, depth);
  }
  // A read-only file is replaced too: every question, this one included, is answered yes.
  if (int code = makeWritable(target, existing); code != 0) return code;
  if (op == ShellOperation::Copy) return m_files.copyFile(source, target, false).error;
  if (existing) {
    if (Status removed = m_files.deleteFile(target); !removed) return removed.error;
  }
  return m_files.moveFile(source, target).error;
}

}  // namespace platform::posix
