// The fixed version information of a Windows PE file, read from its bytes.
#pragma once

#include <optional>
#include <string_view>

#include "platform/VersionInfo.h"

namespace platform {

// Follows the file's headers (MZ, e_lfanew, "PE\0\0", a PE32 or PE32+ optional header, the
// section table) to its resource directory, takes resource type 16 (version), its first name
// and first language, and reads the VS_VERSIONINFO block there: key "VS_VERSION_INFO" and a
// VS_FIXEDFILEINFO value with the signature 0xFEEF04BD. Every offset and size is checked
// against the bytes, so a damaged, cut-off or hostile file gives nullopt, as does any file that
// is not a PE file or has no version resource.
std::optional<FixedFileVersion> readPeFileVersion(std::string_view file);

}  // namespace platform
