// Files and folders of the machine folder, with the Windows rules enforced for every user.
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Status.h"
#include "platform/posix/MachineFolder.h"

namespace platform::posix {

// Windows paths map through the machine folder; a relative path counts from "C:\", the
// current folder of the program on every drive. Every failure is recorded in LastError with
// its Windows code: 2 file missing, 3 folder on the way (or drive) missing, 5 access denied
// (read-only target, a folder where a file is needed), 32 a file copied onto itself or a
// folder moved into itself, 80 target exists (copy with failIfExists), 183 target exists
// (rename, folder creation), 87 invalid DOS time, 112 disk full, 145 folder not empty,
// 267 a file where a folder is needed.
//
// Attributes: folder, or archive for every file; read-only is the owner's write bit cleared;
// hidden and system live in the extended attribute "user.DOSATTRIB" (Wine's place for them).
// Where the file system keeps no user attributes they read as clear and setting them fails
// with 1. Archive cannot be cleared.
class PosixFileSystem final : public FileSystem {
 public:
  PosixFileSystem(const MachineFolder& machine, LastError& lastError);

  std::optional<uint32_t> attributes(const std::string& path) override;
  Status setAttributes(const std::string& path, uint32_t attributes) override;
  // "." carries the folder's own attributes and ".." its parent's, so clearing the read-only
  // attribute of "." clears the folder's. The drive root yields neither.
  std::vector<FindEntry> find(const std::string& mask) override;

  // The copy keeps the source's time and attributes, as CopyFile does; it is written beside
  // the target and renamed into place, so a failed copy leaves the old target whole.
  Status copyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  // A read-only file is access denied (5); so is a folder.
  Status deleteFile(const std::string& path) override;
  // Read-only files and folders may be renamed. A rename that only changes letter case is
  // allowed; across file systems a file is copied and the source deleted.
  Status moveFile(const std::string& from, const std::string& to) override;
  Status createFolder(const std::string& path) override;
  Status createFolders(const std::string& path) override;
  // A read-only folder is access denied (5), as RemoveDirectory has it.
  Status removeFolder(const std::string& path) override;

  std::optional<std::string> readFile(const std::string& path) override;
  Status writeFile(const std::string& path, const std::string& bytes) override;
  // Read and written straight from and to the disk: memory does not grow with the file.
  std::unique_ptr<FileReader> openForReading(const std::string& path) override;
  std::unique_ptr<FileWriter> createForWriting(const std::string& path) override;
  // Keeps the permissions of the file it replaces; synced to disk before the rename.
  Status replaceFileAtomically(const std::string& path, const std::string& bytes) override;
  Status probeWritable(const std::string& folder) override;
  // Invalid dates and times (month 13, 30 February, hour 24, …) fail with 87.
  Status setDosTime(const std::string& path, uint32_t dosDateTime) override;
  // Size of a file; nullopt (5) for a folder.
  std::optional<uint64_t> fileSize(const std::string& path) override;

  // Textual, as GetFullPathName: see resolveFullPath. An empty path gives "" and records 123.
  std::string fullPath(const std::string& path) override;

 private:
  // The native path; nullopt records 3 (off every drive) or 123 (empty, UNC).
  std::optional<std::string> native(const std::string& path);
  // Like stat, recording 2 or 3 when the entry is missing.
  bool statOrRecord(const std::string& native, struct stat& st);
  Status fail(int code) { return m_lastError.record(Status::failure(code)); }
  // Records the code of an errno; ENOENT gives 2 or 3 by whether `native`'s folder exists.
  Status failErrno(int error, const std::string& native);
  // Writes a new file beside `target`, syncs it and renames it over the target; `replaced` is
  // the file it replaces, whose permissions it takes.
  Status writeNew(const std::string& target, const std::string& bytes, const struct stat* replaced);
  // Copies native `from` to `to` through a file beside `to`.
  Status copyNative(const std::string& from, const std::string& to, const struct stat& source,
                    bool failIfExists);

  const MachineFolder& m_machine;
  LastError& m_lastError;
};

}  // namespace platform::posix
