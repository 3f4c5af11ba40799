// The program's UTF-8 text to and from the UTF-16 of the Windows wide-character calls.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace platform::win32 {

// Bytes that are not UTF-8 become U+FFFD; never fails.
std::wstring widen(std::string_view utf8);
// Lone surrogates become U+FFFD; never fails.
std::string narrow(std::wstring_view utf16);
// A window's text (a control's caption), as the program's text.
std::string windowText(HWND hwnd);

}  // namespace platform::win32
