// Versions and system folders as the window reads them.
#pragma once

#include <string>

#include "platform/Services.h"

namespace app {

// The version this update installs.
inline constexpr const char* kUpVersion = "v2.5.3.0";

// "v" and the four numbers of a file's version information; empty when it has none.
std::string FileVersionText(platform::Services& services, const std::string& fileName);
// The Windows directory, or empty text when the platform cannot tell it.
std::string GetWindowsDir(platform::Services& services);
// The temporary folder in its long form, always ending in '\'.
std::string GetTempDir(platform::Services& services);

}  // namespace app
