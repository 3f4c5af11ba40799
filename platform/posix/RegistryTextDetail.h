// Name folding, UTF-16 conversion and the version line shared by the registry text's parts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::registry_text {

// The first line of the file.
inline constexpr std::string_view kVersionLine = "Windows Registry Editor Version 5.00";

// A value name as it is compared: ASCII letters in lower case.
std::string foldedName(std::string_view name);
// A key path as it is compared: folded, with repeated and outer backslashes dropped.
std::string keyLookupName(std::string_view path);

std::string littleEndian32(uint32_t n);
// UTF-8 to UTF-16LE bytes; an invalid byte becomes U+FFFD.
std::string utf8ToUtf16le(std::string_view utf8);
// UTF-16LE bytes to UTF-8, up to the first NUL; an unpaired surrogate becomes U+FFFD and an odd
// last byte is dropped.
std::string utf16leToUtf8(std::string_view bytes);

}  // namespace platform::registry_text
