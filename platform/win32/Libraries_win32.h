// Outside libraries by their Windows name, loaded with LoadLibraryW.
#pragma once

#include <memory>
#include <string>

#include "platform/Libraries.h"

namespace platform::win32 {

// "UNLHA32.DLL" loads through the system's search, which looks in the program's own folder
// first, so a library shipped beside the program wins over one installed elsewhere. A name with
// a folder in it, or an empty one, loads nothing. The system shows no box for a library that is
// missing or damaged.
class Win32Libraries final : public Libraries {
 public:
  std::unique_ptr<Library> load(const std::string& name) override;
};

}  // namespace platform::win32
