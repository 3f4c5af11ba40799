// Loading of outside libraries by their Windows name ("UNLHA32.DLL").
#pragma once

#include <memory>
#include <string>

// The calling convention of an outside library's exported functions: the Windows API's on
// 32-bit Windows (arguments removed by the callee), the only one there is elsewhere.
#if defined(_WIN32) && !defined(_WIN64)
#define PLATFORM_WINAPI __attribute__((stdcall))
#else
#define PLATFORM_WINAPI
#endif

namespace platform {

class Library {
 public:
  virtual ~Library() = default;
  // Address of an exported function; nullptr when the library lacks it.
  virtual void* symbol(const std::string& name) = 0;
};

class Libraries {
 public:
  virtual ~Libraries() = default;
  // nullptr when the library cannot be loaded. The library is freed with the object.
  virtual std::unique_ptr<Library> load(const std::string& name) = 0;
};

}  // namespace platform
