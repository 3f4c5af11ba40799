// Outside libraries by their Windows name, from the program's folder or the system folder.
#include "platform/win32/Libraries_win32.h"

#include <windows.h>

#include <cstdint>

#include "platform/win32/DllSearch_win32.h"
#include "platform/win32/WideText.h"

namespace platform::win32 {
namespace {

class Win32Library final : public Library {
 public:
  explicit Win32Library(HMODULE module) : m_module(module) {}
  ~Win32Library() override { ::FreeLibrary(m_module); }
  Win32Library(const Win32Library&) = delete;
  Win32Library& operator=(const Win32Library&) = delete;

  void* symbol(const std::string& name) override {
    if (name.empty() || name.find('\0') != std::string::npos) return nullptr;
    // Export names are ASCII; the address goes out as data, as the interface hands it.
    const FARPROC address = ::GetProcAddress(m_module, name.c_str());
    return reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(address));
  }

 private:
  HMODULE m_module;
};

// The library at its full path, its own dependencies looked for beside it first; null when it
// is not there or cannot load.
HMODULE loadFrom(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty()) return nullptr;
  const std::wstring path = folder + L"\\" + name;
  if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return nullptr;
  HMODULE module = ::LoadLibraryExW(
      path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Windows 7 without its library-search update knows only the older flag.
  if (module == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER) {
    module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  return module;
}

}  // namespace

std::unique_ptr<Library> Win32Libraries::load(const std::string& name) {
  if (name.empty() || name.find_first_of("/\\:") != std::string::npos ||
      name.find('\0') != std::string::npos || name == "." || name == "..") {
    return nullptr;
  }
  const std::wstring wide = widen(name);
  DWORD oldMode = 0;
  ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
  HMODULE module = loadFrom(programFolder(), wide);
  if (module == nullptr) module = loadFrom(systemFolder(), wide);
  ::SetThreadErrorMode(oldMode, nullptr);
  if (module == nullptr) return nullptr;
  return std::make_unique<Win32Library>(module);
}

}  // namespace platform::win32
