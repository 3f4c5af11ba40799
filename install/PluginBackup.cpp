// The plug-in backup in two sweeps over the plug-in folder.
#include "install/PluginBackup.h"

#include "app/TextRules.h"
#include "platform/AsciiCase.h"

namespace install {

namespace {

std::string upperExtension(const std::string& name) {
  return platform::ascii::toUpper(app::extensionOf(name));
}

}  // namespace

bool RenameSPI(platform::FileSystem& files, const std::string& Folder) {
  const std::string folder = app::withBackslash(Folder);
  bool result = true;
  // Old backups go first, so that this run's backups can take their names.
  for (const platform::FindEntry& entry : files.find(folder + "*.*")) {
    if (entry.isFolder() || upperExtension(entry.name) != ".BAK") continue;
    if (!files.deleteFile(folder + entry.name)) result = false;
  }
  for (const platform::FindEntry& entry : files.find(folder + "*.*")) {
    if (entry.isFolder()) continue;
    const std::string extension = upperExtension(entry.name);
    if (extension != ".SPI" && extension != ".DOC" && extension != ".XLS") continue;
    if (!files.moveFile(folder + entry.name, folder + app::changeExtension(entry.name, ".BAK"))) {
      result = false;
    }
  }
  return result;
}

}  // namespace install
