// UTF-8 (the program's text) <-> UTF-16 (the Windows API's text).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace platform::win32 {

// Converts with CP_UTF8; a byte run that is not UTF-8 becomes U+FFFD. Embedded NULs pass.
std::wstring widen(std::string_view utf8);
// Converts with CP_UTF8; a lone surrogate becomes U+FFFD. Embedded NULs pass.
std::string narrow(std::wstring_view utf16);
// A window's text (caption, label, edit contents) in UTF-8.
std::string windowText(HWND hwnd);

}  // namespace platform::win32
