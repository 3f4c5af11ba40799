// Text rules the window applies to names, paths and versions (Windows conventions, UTF-8 text).
#pragma once

#include <string>
#include <string_view>

namespace app {

// Position of the first occurrence of needle without regard to ASCII case, or npos.
size_t findIgnoreCase(std::string_view text, std::string_view needle);
// The folder text with one trailing backslash.
std::string withBackslash(const std::string& folder);
// The folder text without its trailing backslash.
std::string withoutBackslash(const std::string& folder);
// The folder part of a path, up to and including its last '\' or ':' (empty when none).
std::string folderPart(const std::string& path);
// The name after the last '\' or ':'.
std::string namePart(const std::string& path);
// The extension from the last '.' of the name on, dot included; empty when there is none.
std::string extensionOf(const std::string& name);
// The name with its extension replaced (or appended when it has none).
std::string changeExtension(const std::string& name, const std::string& extension);

}  // namespace app
