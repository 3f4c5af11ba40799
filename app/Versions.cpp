// Versions and system folders as the window reads them.
#include "app/Versions.h"

#include "app/TextRules.h"

namespace app {
namespace {

// Windows counts path lengths in UTF-16 units: one for each character but those beyond the
// basic plane (𠮷), which take two. The program's text is UTF-8.
size_t windowsLength(const std::string& text, size_t* cutAt = nullptr, size_t limit = 0) {
  size_t units = 0;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t bytes = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const size_t width = bytes == 4 ? 2 : 1;
    if (cutAt != nullptr && units + width > limit) {
      *cutAt = i;
      return units;
    }
    units += width;
    i += bytes;
  }
  if (cutAt != nullptr) *cutAt = text.size();
  return units;
}

}  // namespace

std::string FileVersionText(platform::Services& services, const std::string& fileName) {
  auto v = services.versions.fileVersion(fileName);
  if (!v) return {};
  return "v" + std::to_string(v->fileVersionMS >> 16) + "." +
         std::to_string(v->fileVersionMS & 0xFFFF) + "." + std::to_string(v->fileVersionLS >> 16) +
         "." + std::to_string(v->fileVersionLS & 0xFFFF);
}

std::string GetWindowsDir(platform::Services& services) {
  auto dir = services.folders.windowsDirectory();
  if (!dir || windowsLength(*dir) > 260) return {};
  return *dir;
}

std::string GetTempDir(platform::Services& services) {
  std::string temp = services.folders.tempPath();
  size_t cut = 0;
  (void)windowsLength(temp, &cut, 260);
  temp.resize(cut);
  // The long form is kept only when it fits the 255 characters the window allows for it.
  if (auto longForm = services.folders.longPathName(temp);
      longForm && windowsLength(*longForm) <= 255) {
    temp = *longForm;
  }
  return withBackslash(temp);
}

}  // namespace app
