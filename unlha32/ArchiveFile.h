// The archive file as the system reads it: opened by native path, read in order, repositioned.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace unlha {

class ArchiveFile {
 public:
  // Opens a native path for reading. On failure returns nullptr and sets error to
  // UNLHA_ERROR_NOT_FIND_ARC_FILE (no such file, or a folder) or UNLHA_ERROR_ARC_FILE_OPEN.
  static std::unique_ptr<ArchiveFile> open(const std::string& nativePath, int& error);
  ~ArchiveFile();
  ArchiveFile(const ArchiveFile&) = delete;
  ArchiveFile& operator=(const ArchiveFile&) = delete;

  // The file's size when it was opened.
  uint64_t size() const { return m_size; }
  // Reads up to size bytes at the current position: the count, 0 at the end, -1 on failure.
  long long read(void* data, size_t size);
  // Moves the current position; false on failure.
  bool seek(uint64_t position);

 private:
  ArchiveFile(intptr_t handle, uint64_t size) : m_handle(handle), m_size(size) {}

  intptr_t m_handle;  // the system's file descriptor or handle
  uint64_t m_size;
};

}  // namespace unlha
