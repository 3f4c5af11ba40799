// The delivery standards of the check list and the plug-in list "Install.ini" that keeps ticks.
#pragma once

#include <string>

#include "app/WindowDesign.h"

namespace app {

// The national standards, which the user cannot untick (recognised by their text).
bool isMandatoryStandard(const std::string& itemText);

inline constexpr const char* kPluginListName = "Install.ini";
inline constexpr const char* kPluginSection = "PULUGINLIST";

}  // namespace app
