// The archive library's command line for one archive and destination, as CP932 bytes.
#pragma once

#include <string>

#include "platform/SystemFolders.h"
#include "platform/TextCodec.h"

namespace install {

// "e -jyc -jyo "<archive>" -d1 -c1 "<destination>\"" in CP932. A path with characters CP932
// lacks (a user name such as 𠮷) would reach the library as "?": it goes in its short form,
// which has none, where the file system keeps one; otherwise as it is, and the library fails.
std::string LhaCommandLine(platform::TextCodec& codec, platform::SystemFolders& folders,
                           const std::string& archivePath, const std::string& destFolder);

}  // namespace install
