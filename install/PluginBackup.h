// The plug-in backup: present plug-ins and document forms set aside as ".BAK" files.
#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace install {

// In Folder (its files only, never its sub-folders): deletes every ".BAK" file, then renames
// every ".SPI", ".DOC" and ".XLS" file to the same stem with ".BAK", never replacing a file.
// Extensions are matched without regard to letter case. Every file is tried; returns false
// when any deletion or renaming failed (what was done stays), true otherwise, also for a
// missing or empty folder.
bool RenameSPI(platform::FileSystem& files, const std::string& Folder);

}  // namespace install
