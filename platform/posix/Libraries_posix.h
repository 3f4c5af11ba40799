// Outside libraries by their Windows name, loaded with dlopen.
#pragma once

#include <memory>
#include <string>

#include "platform/Libraries.h"

namespace platform::posix {

// The program's private library folder, relative to its own folder: an installed program sits
// in /usr/bin with its libraries in /usr/lib/brevan-update.
inline constexpr const char* kPrivateLibraryFolder = "../lib/brevan-update";

// "NAME.DLL" loads "libname.so" (lower case): the file in the program's own folder when it is
// there, else the one in its private library folder, otherwise whatever the system's ordinary
// search finds. A name with a folder in it, or an empty one, loads nothing. A library found in
// the program's folders that fails to load is not replaced by one found elsewhere, as a
// program's own DLL is not on Windows.
class DlLibraries final : public Libraries {
 public:
  explicit DlLibraries(std::string programFolder);
  std::unique_ptr<Library> load(const std::string& name) override;

  // The file name that `name` stands for ("UNLHA32.DLL" gives "libunlha32.so"); empty when
  // the name cannot name a library.
  static std::string sharedObjectName(const std::string& name);

 private:
  std::string m_programFolder;
};

}  // namespace platform::posix
