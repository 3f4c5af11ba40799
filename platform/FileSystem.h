// Files and folders addressed by Windows paths ("C:\VALTERN\BREVAN\PICTDESK.EXE", UTF-8).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Status.h"

namespace platform {

// Windows file attribute bits.
enum FileAttribute : uint32_t {
  kAttrReadOnly = 0x01,
  kAttrHidden = 0x02,
  kAttrSystem = 0x04,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
  kAttrNormal = 0x80,
};

// One entry of a wildcard listing.
struct FindEntry {
  std::string name;  // name only, as stored (the case it was created with)
  uint32_t attributes = 0;
  uint64_t size = 0;
  bool isFolder() const { return (attributes & kAttrDirectory) != 0; }
};

// A file read from start to end in pieces.
class FileReader {
 public:
  virtual ~FileReader() = default;
  // Up to size bytes into buffer: their count, 0 at the end, nullopt on a read failure.
  virtual std::optional<size_t> read(char* buffer, size_t size) = 0;
};

// A new file written in pieces; it is complete only when close() succeeds.
class FileWriter {
 public:
  virtual ~FileWriter() = default;
  virtual Status write(const char* data, size_t size) = 0;
  virtual Status close() = 0;
};

// Names are looked up without regard to ASCII letter case; a new entry keeps the case it was
// given. A read-only file cannot be overwritten or deleted (access denied) but can be renamed;
// a read-only folder still takes new files. Every failure is also recorded in LastError.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Attributes of an existing file or folder; nullopt when it does not exist.
  virtual std::optional<uint32_t> attributes(const std::string& path) = 0;
  // Sets read-only, hidden, system and archive as given; the folder bit is ignored.
  virtual Status setAttributes(const std::string& path, uint32_t attributes) = 0;
  bool exists(const std::string& path) { return attributes(path).has_value(); }
  bool fileExists(const std::string& path) {
    auto a = attributes(path);
    return a && (*a & kAttrDirectory) == 0;
  }
  bool folderExists(const std::string& path) {
    auto a = attributes(path);
    return a && (*a & kAttrDirectory) != 0;
  }

  // Entries of a folder matching the wildcard in the mask's last component ("*", "*.*",
  // "*.BAK", "?"), in the order the disk returns them. Like FindFirstFile, a non-root folder
  // also yields "." and ".." when the pattern matches them. A folder that cannot be read, or
  // does not exist, gives an empty list.
  virtual std::vector<FindEntry> find(const std::string& mask) = 0;

  // Copies a file; with failIfExists false an existing target is replaced (unless read-only).
  virtual Status copyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
  virtual Status deleteFile(const std::string& path) = 0;
  // Renames a file or folder; never replaces an existing target.
  virtual Status moveFile(const std::string& from, const std::string& to) = 0;
  // Creates one folder; its parent must exist.
  virtual Status createFolder(const std::string& path) = 0;
  // Creates a folder with every missing parent; success when it already exists.
  virtual Status createFolders(const std::string& path) = 0;
  // Removes an empty folder.
  virtual Status removeFolder(const std::string& path) = 0;

  // Whole contents of a file, as bytes.
  virtual std::optional<std::string> readFile(const std::string& path) = 0;
  // Creates or replaces a file with the given bytes.
  virtual Status writeFile(const std::string& path, const std::string& bytes) = 0;
  // The file opened for reading in pieces; nullptr when it cannot be opened. This fallback
  // holds the whole file; backends stream from the disk.
  virtual std::unique_ptr<FileReader> openForReading(const std::string& path) {
    auto bytes = readFile(path);
    if (!bytes) return nullptr;
    return std::make_unique<WholeFileReader>(std::move(*bytes));
  }
  // Creates or replaces a file to be written in pieces; nullptr when it cannot be created.
  // This fallback holds the bytes until close(); backends write to the disk as they come.
  virtual std::unique_ptr<FileWriter> createForWriting(const std::string& path) {
    return std::make_unique<WholeFileWriter>(*this, path);
  }
  // Writes beside the file and renames over it, so the file is never left half written.
  virtual Status replaceFileAtomically(const std::string& path, const std::string& bytes) = 0;
  // Creates a file of the program's own in the folder and removes it again: success when the
  // folder takes new files, else the code that refused it (5 for a folder the user may not
  // write).
  virtual Status probeWritable(const std::string& folder) = 0;
  // Sets the last-write time from a DOS date (high 16 bits) and time (low 16 bits), local time.
  virtual Status setDosTime(const std::string& path, uint32_t dosDateTime) = 0;
  virtual std::optional<uint64_t> fileSize(const std::string& path) = 0;

  // Absolute form of a path with "." and ".." resolved (GetFullPathName).
  virtual std::string fullPath(const std::string& path) = 0;

 private:
  class WholeFileReader final : public FileReader {
   public:
    explicit WholeFileReader(std::string bytes) : m_bytes(std::move(bytes)) {}
    std::optional<size_t> read(char* buffer, size_t size) override {
      const size_t n = m_bytes.copy(buffer, size, m_pos);
      m_pos += n;
      return n;
    }

   private:
    std::string m_bytes;
    size_t m_pos = 0;
  };
  class WholeFileWriter final : public FileWriter {
   public:
    WholeFileWriter(FileSystem& files, std::string path)
        : m_files(files), m_path(std::move(path)) {}
    Status write(const char* data, size_t size) override {
      m_bytes.append(data, size);
      return Status::success();
    }
    Status close() override { return m_files.writeFile(m_path, m_bytes); }

   private:
    FileSystem& m_files;
    std::string m_path;
    std::string m_bytes;
  };
};

}  // namespace platform
