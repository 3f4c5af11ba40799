// Folder operations of the first-run restructuring: listing, full paths.
#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace download {

// The absolute form of a folder path, ending in '\'.
std::string FullFolderPath(platform::FileSystem& files, const std::string& path);

// The full paths of every entry of the folder named by mask (a folder followed by "*"), each
// followed by one NUL, "." and ".." left out; empty text when the folder cannot be listed.
std::string FolderEntryList(platform::FileSystem& files, const std::string& mask);

}  // namespace download
