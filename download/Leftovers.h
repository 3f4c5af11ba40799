// Removal of the temporary files a run that was cut off left in the folders the update writes.
#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace download {

// Deletes every file named as the program names its temporary files (and nothing else) in the
// installation tree below `installFolder`, in the work folders under `tempDir` and beside the
// settings file `settingsFile`. A leftover that cannot be deleted stays: it is hidden from every
// listing the program makes and harms nothing.
void RemoveLeftovers(platform::FileSystem& files, const std::string& installFolder,
                     const std::string& settingsFile, const std::string& tempDir);

}  // namespace download
