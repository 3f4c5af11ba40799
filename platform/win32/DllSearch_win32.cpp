// Library search restricted to the program's and the system's folders.
#include "platform/win32/DllSearch_win32.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <delayimp.h>

#include <vector>

namespace platform::win32 {
namespace {

// The delay-load helper asks before it loads a system library: it gets the one in the system
// folder, by its full path.
FARPROC WINAPI fromSystemFolder(unsigned notification, PDelayLoadInfo info) {
  if (notification != dliNotePreLoadLibrary || info == nullptr || info->szDll == nullptr) {
    return nullptr;
  }
  std::wstring path = systemFolder() + L"\\";
  for (const char* c = info->szDll; *c != '\0'; ++c) path.push_back(static_cast<wchar_t>(*c));
  return reinterpret_cast<FARPROC>(
      reinterpret_cast<void*>(::LoadLibraryExW(path.c_str(), nullptr, 0)));
}

std::wstring trimmed(std::wstring folder) {
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder;
}

}  // namespace

void restrictLibrarySearch() {
  // Present from Windows 8 and on Windows 7 with its library-search update; without it the
  // current folder at least leaves the search.
  using SetDirs = BOOL(WINAPI*)(DWORD);
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  const auto setDirs = reinterpret_cast<SetDirs>(reinterpret_cast<void*>(
      kernel != nullptr ? ::GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr));
  if (setDirs == nullptr || !setDirs(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS))
    (void)::SetDllDirectoryW(L"");
  __pfnDliNotifyHook2 = fromSystemFolder;
}

std::wstring programFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      std::wstring path(buffer.data(), n);
      const size_t slash = path.find_last_of(L"\\/");
      return slash == std::wstring::npos ? std::wstring() : trimmed(path.substr(0, slash));
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::wstring systemFolder() {
  wchar_t buffer[MAX_PATH];
  const UINT n = ::GetSystemDirectoryW(buffer, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? std::wstring() : trimmed(std::wstring(buffer, n));
}

}  // namespace platform::win32
