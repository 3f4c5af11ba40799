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

// The entry list without the entries that name the given file (full paths compared without
// regard to ASCII case).
std::string WithoutEntry(platform::FileSystem& files, const std::string& entries,
                         const std::string& path);

// False for a folder the first run must never restructure: a drive root (the whole drive would
// move into OLD_BIN), the Windows folder, or a path that names no folder at all.
bool UpdatableFolder(platform::FileSystem& files, const std::string& windowsDir,
                     const std::string& folder);

}  // namespace download
