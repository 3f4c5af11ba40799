// Outside libraries by their Windows name, loaded with LoadLibraryW.
#include "platform/win32/Libraries_win32.h"

#include <windows.h>

#include <cstdint>

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

}  // namespace

std::unique_ptr<Library> Win32Libraries::load(const std::string& name) {
  if (name.empty() || name.find_first_of("/\\:") != std::string::npos ||
      name.find('\0') != std::string::npos || name == "." || name == "..") {
    return nullptr;
  }
  DWORD oldMode = 0;
  ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
  HMODULE module = ::LoadLibraryW(widen(name).c_str());
  ::SetThreadErrorMode(oldMode, nullptr);
  if (module == nullptr) return nullptr;
  return std::make_unique<Win32Library>(module);
}

}  // namespace platform::win32
