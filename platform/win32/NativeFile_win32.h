// Native-file helpers of the Win32 backends: handles, files written beside, path pieces.
#pragma once

#include <windows.h>

#include <string>

namespace platform::win32 {

// A file handle closed when it goes out of scope.
class Handle {
 public:
  explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
  ~Handle() { reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
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

// True when both paths name one existing file (the same volume and file index).
bool sameFile(const std::wstring& a, const std::wstring& b);

}  // namespace platform::win32
