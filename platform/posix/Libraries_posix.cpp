// Outside libraries by their Windows name, loaded with dlopen.
#include "platform/posix/Libraries_posix.h"

#include <dlfcn.h>
#include <unistd.h>

#include <utility>

#include "platform/AsciiCase.h"

namespace platform::posix {
namespace {

class DlLibrary final : public Library {
 public:
  explicit DlLibrary(void* handle) : m_handle(handle) {}
  ~DlLibrary() override { ::dlclose(m_handle); }
  DlLibrary(const DlLibrary&) = delete;
  DlLibrary& operator=(const DlLibrary&) = delete;
  void* symbol(const std::string& name) override { return ::dlsym(m_handle, name.c_str()); }

 private:
  void* m_handle;
};

}  // namespace

DlLibraries::DlLibraries(std::string programFolder) : m_programFolder(std::move(programFolder)) {}

std::string DlLibraries::sharedObjectName(const std::string& name) {
  if (name.find_first_of("/\\:") != std::string::npos || name.find('\0') != std::string::npos) {
    return {};
  }
  std::string base = ascii::toLower(name);
  if (base.size() >= 4 && base.compare(base.size() - 4, 4, ".dll") == 0)
    base.resize(base.size() - 4);
  if (base.empty() || base == "." || base == "..") return {};
  return "lib" + base + ".so";
}

std::unique_ptr<Library> DlLibraries::load(const std::string& name) {
  const std::string file = sharedObjectName(name);
  if (file.empty()) return nullptr;
  std::string path = file;
  if (!m_programFolder.empty()) {
    for (const std::string& folder :
         {m_programFolder, m_programFolder + "/" + kPrivateLibraryFolder}) {
      if (::access((folder + "/" + file).c_str(), F_OK) == 0) {
        path = folder + "/" + file;
        break;
      }
    }
  }
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return nullptr;
  return std::make_unique<DlLibrary>(handle);
}

}  // namespace platform::posix
