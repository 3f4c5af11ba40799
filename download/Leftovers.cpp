// Removal of the temporary files a run that was cut off left behind.
#include "download/Leftovers.h"

#include "app/TextRules.h"
#include "platform/TemporaryNames.h"

namespace download {
namespace {

// `folder` ends in '\'; with `deep`, its sub-folders too.
void removeIn(platform::FileSystem& files, const std::string& folder, bool deep, int depth = 0) {
  // A link loop ends here, as the shell's own walk does.
  if (depth > 100) return;
  for (const auto& entry : files.find(folder + "*")) {
    if (entry.name == "." || entry.name == "..") continue;
    const std::string path = folder + entry.name;
    if (entry.isFolder()) {
      if (deep) removeIn(files, path + "\\", deep, depth + 1);
      continue;
    }
    if (!platform::isProgramTemporaryName(entry.name)) continue;
    // A copy of a read-only file is read-only before it takes its target's place.
    if (entry.attributes & platform::kAttrReadOnly) {
      (void)files.setAttributes(path, entry.attributes & ~uint32_t{platform::kAttrReadOnly});
    }
    (void)files.deleteFile(path);  // a leftover in use stays hidden
  }
}

}  // namespace

void RemoveLeftovers(platform::FileSystem& files, const std::string& installFolder,
                     const std::string& settingsFile, const std::string& tempDir) {
  removeIn(files, app::withBackslash(installFolder), true);
  removeIn(files, tempDir + "BrvOldUp\\", true);
  removeIn(files, tempDir + "BrvNewUp\\", true);
  if (!settingsFile.empty()) removeIn(files, app::folderPart(settingsFile), false);
}

}  // namespace download
