// Native paths (UTF-8 text) as the wide-character Windows file functions take them.
#pragma once

#include <string>
#include <string_view>

namespace unlha {

// UTF-8 to UTF-16 and back; bytes that are not UTF-8 and lone surrogates become U+FFFD.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// The full path of a native path ('\' or '/' between names, relative to the current folder
// or absolute) in the "\\?\" form, so that long paths work and names are taken as they are;
// an empty text when the path cannot be made full.
std::wstring fullWidePath(const std::string& nativePath);

}  // namespace unlha
