// The Windows and temporary folders of the machine, and the long form of a path.
#include "platform/win32/SystemFolders_win32.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace platform::win32 {
namespace {

// Runs a call that fills a buffer and tells the length it needs when the buffer is short;
// nullopt when it fails.
template <class Call>
std::optional<std::string> filled(Call call) {
  std::wstring buffer(MAX_PATH + 1, L'\0');
  for (;;) {
    const DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::nullopt;
    if (length < buffer.size()) {
      buffer.resize(length);
      return narrow(buffer);
    }
    buffer.resize(length + 1);
  }
}

}  // namespace

std::optional<std::string> Win32SystemFolders::windowsDirectory() {
  return filled([](wchar_t* buffer, DWORD size) { return ::GetWindowsDirectoryW(buffer, size); });
}

std::string Win32SystemFolders::tempPath() {
  return filled([](wchar_t* buffer, DWORD size) { return ::GetTempPathW(size, buffer); })
      .value_or(std::string());
}

std::optional<std::string> Win32SystemFolders::longPathName(const std::string& path) {
  const std::wstring wide = widen(path);
  return filled([&wide](wchar_t* buffer, DWORD size) {
    return ::GetLongPathNameW(wide.c_str(), buffer, size);
  });
}

std::optional<std::string> Win32SystemFolders::shortPathName(const std::string& path) {
  const std::wstring wide = widen(path);
  return filled([&wide](wchar_t* buffer, DWORD size) {
    return ::GetShortPathNameW(wide.c_str(), buffer, size);
  });
}

}  // namespace platform::win32
