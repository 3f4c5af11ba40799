// Small helpers of the Windows destination: an owned handle, reasons with the last error,
// file times, whole writes.
#pragma once

#include <windows.h>

#include <ctime>
#include <string>

namespace unlha::win32 {

inline std::string because(const std::string& what, const std::string& name) {
  return what + ": " + name + " (error " + std::to_string(::GetLastError()) + ")";
}

// Seconds since 1970 as a Windows file time (100 ns since 1601).
inline FILETIME fileTimeOf(std::time_t seconds) {
  const ULONGLONG ticks = (static_cast<ULONGLONG>(seconds) + 11644473600ULL) * 10000000ULL;
  FILETIME time{};
  time.dwLowDateTime = static_cast<DWORD>(ticks);
  time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return time;
}

class UniqueHandle {
 public:
  explicit UniqueHandle(HANDLE handle) : m_handle(handle) {}
  ~UniqueHandle() { close(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  HANDLE get() const { return m_handle; }
  bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
  bool close() {
    const bool ok = !valid() || ::CloseHandle(m_handle) != 0;
    m_handle = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE m_handle;
};

// The folder that holds a full path, or an empty text at the path's root ("\\?\C:\").
inline std::wstring parentOf(const std::wstring& path) {
  const size_t cut = path.find_last_of(L'\\');
  if (cut == std::wstring::npos || cut < 7) return {};
  return path.substr(0, cut);
}

inline bool exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool writeAll(HANDLE file, const void* data, size_t size) {
  const auto* p = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(file, p, chunk, &written, nullptr) || written == 0) return false;
    p += written;
    size -= written;
  }
  return true;
}

}  // namespace unlha::win32
