// Native-file helpers of the Windows layer: handles, files written beside, path pieces.
#pragma once

#include <windows.h>

#include <string>

namespace platform::win32 {

// A kernel handle (file, process, event) closed when it goes out of scope; the one owner of
// such handles in the Windows layer.
class Handle {
 public:
  explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
  ~Handle() { (void)reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  Handle(Handle&& other) noexcept : m_handle(other.release()) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      (void)reset();
      m_handle = other.release();
    }
    return *this;
  }
  HANDLE get() const { return m_handle; }
  bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
  HANDLE release() {
    HANDLE handle = m_handle;
    m_handle = INVALID_HANDLE_VALUE;
    return handle;
  }
  // Closes now; false (last error set) when the close fails.
  bool reset() {
    HANDLE handle = release();
    return handle == INVALID_HANDLE_VALUE || handle == nullptr || ::CloseHandle(handle) != 0;
  }

 private:
  HANDLE m_handle;
};

// The folder part of a path, without its trailing separator ("C:\A\B.TXT" gives "C:\A"; a name
// alone gives "."). A drive's root keeps its separator ("C:\").
std::wstring folderOf(const std::wstring& path);

// Creates a new empty file for writing beside `target`, under a name no listing of the program
// takes for its own (".~brevan-…"), and sets `path`. An invalid handle (last error set) when
// it cannot be made.
Handle createBeside(const std::wstring& target, std::wstring& path);

// Writes every byte; false (last error set) on failure.
bool writeAll(HANDLE file, const char* data, size_t size);

// Renames a file the program has just written onto its target (MoveFileExW with `flags`).
// Resident virus scanners hold a freshly closed file for a moment: on access denied (5) or a
// sharing violation (32) the rename is tried again for up to 3 s before it fails. False (last
// error set) on failure.
bool renameWritten(const std::wstring& from, const std::wstring& to, DWORD flags);

// True when both paths name one existing file (the same volume and file index).
bool sameFile(const std::wstring& a, const std::wstring& b);

}  // namespace platform::win32
