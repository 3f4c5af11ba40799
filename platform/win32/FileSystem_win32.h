// Files and folders on the real Windows file system, through the wide-character calls.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Status.h"

namespace platform::win32 {

// Paths are Windows paths in UTF-8; a relative one counts from the current folder. The rules
// (letter case, read-only files) are the system's own. Every failure is recorded in LastError
// with the system's code, among them: 2 file missing, 3 folder on the way missing, 5 access
// denied (read-only target, a folder where a file is needed), 32 a file copied onto itself or
// a folder moved into itself, 80 target exists (copy with failIfExists), 183 target exists
// (rename, folder creation), 87 invalid DOS time, 112 disk full, 145 folder not empty,
// 267 a file where a folder is needed.
class Win32FileSystem final : public FileSystem {
 public:
  explicit Win32FileSystem(LastError& lastError);

  // The attributes as the system keeps them (a file without any reads as kAttrNormal).
  std::optional<uint32_t> attributes(const std::string& path) override;
  Status setAttributes(const std::string& path, uint32_t attributes) override;
  // FindFirstFile's listing, "." and ".." included where it gives them.
  std::vector<FindEntry> find(const std::string& mask) override;

  // Copied beside the target and renamed into place, so a failed copy leaves the old target
  // whole; the copy keeps the source's time and attributes.
  Status copyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  Status deleteFile(const std::string& path) override;
  // Never replaces; a file may move to another drive, a folder may not (17).
  Status moveFile(const std::string& from, const std::string& to) override;
  Status createFolder(const std::string& path) override;
  Status createFolders(const std::string& path) override;
  // A read-only folder is access denied (5).
  Status removeFolder(const std::string& path) override;

  std::optional<std::string> readFile(const std::string& path) override;
  // Also rewrites a hidden or system file in place (keeping those attributes).
  Status writeFile(const std::string& path, const std::string& bytes) override;
  // Read and written straight from and to the disk: memory does not grow with the file.
  std::unique_ptr<FileReader> openForReading(const std::string& path) override;
  // As writeFile, in pieces.
  std::unique_ptr<FileWriter> createForWriting(const std::string& path) override;
  // Keeps the hidden and system attributes of the file it replaces; flushed before the rename.
  Status replaceFileAtomically(const std::string& path, const std::string& bytes) override;
  Status probeWritable(const std::string& folder) override;
  // Local time at that date (summer time as it was then); invalid dates fail with 87.
  Status setDosTime(const std::string& path, uint32_t dosDateTime) override;
  // Size of a file; nullopt (5) for a folder.
  std::optional<uint64_t> fileSize(const std::string& path) override;
  // GetFullPathName; an empty path gives "" and records 123.
  std::string fullPath(const std::string& path) override;

 private:
  Status fail(int code) { return m_lastError.record(Status::failure(code)); }
  Status failLast();

  LastError& m_lastError;
};

}  // namespace platform::win32
