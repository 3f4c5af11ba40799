// Outside libraries by their Windows name, from the program's folder or the system folder.
#pragma once

#include <memory>
#include <string>

#include "platform/Libraries.h"

namespace platform::win32 {

// "UNLHA32.DLL" loads from the program's own folder (the library shipped with it), else from
// the system folder (SysWOW64 for the 32-bit program, where an installed library lives); never
// from the current folder or PATH, where anyone could have put one. A name with a folder in it,
// or an empty one, loads nothing. The system shows no box for a library that is missing or
// damaged.
class Win32Libraries final : public Libraries {
 public:
  std::unique_ptr<Library> load(const std::string& name) override;
};

}  // namespace platform::win32
