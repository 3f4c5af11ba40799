// Versions and system folders as the window reads them.
#include "app/Versions.h"

#include "app/TextRules.h"

namespace app {

std::string FileVersionText(platform::Services& services, const std::string& fileName) {
  auto v = services.versions.fileVersion(fileName);
  if (!v) return {};
  return "v" + std::to_string(v->fileVersionMS >> 16) + "." +
         std::to_string(v->fileVersionMS & 0xFFFF) + "." + std::to_string(v->fileVersionLS >> 16) +
         "." + std::to_string(v->fileVersionLS & 0xFFFF);
}

std::string GetWindowsDir(platform::Services& services) {
  auto dir = services.folders.windowsDirectory();
  if (!dir || dir->size() > 260) return {};
  return *dir;
}

std::string GetTempDir(platform::Services& services) {
  std::string temp = services.folders.tempPath();
  if (temp.size() > 260) temp.resize(260);
  // The long form is kept only when it fits the 255 characters the window allows for it.
  if (auto longForm = services.folders.longPathName(temp); longForm && longForm->size() <= 255) {
    temp = *longForm;
  }
  return withBackslash(temp);
}

}  // namespace app
