// UTF-8 (the program's text) <-> UTF-16 (the Windows API's text).
#pragma once

#include <string>
#include <string_view>

namespace platform::win32 {

// Converts with CP_UTF8; a byte run that is not UTF-8 becomes U+FFFD. Embedded NULs pass.
std::wstring widen(std::string_view utf8);
// Converts with CP_UTF8; a lone surrogate becomes U+FFFD. Embedded NULs pass.
std::string narrow(std::wstring_view utf16);

}  // namespace platform::win32
