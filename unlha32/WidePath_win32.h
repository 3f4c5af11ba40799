// Native paths (UTF-8 text) as the wide-character Windows file functions take them.
#pragma once

#include <string>

#include "platform/win32/WideText.h"

namespace unlha {

// UTF-8 to UTF-16 and back, the Windows layer's one conversion: bytes that are not UTF-8 and
// lone surrogates become U+FFFD.
using platform::win32::narrow;
using platform::win32::widen;

// The full path of a native path ('\' or '/' between names, relative to the current folder
// or absolute) in the "\\?\" form, so that long paths work and names are taken as they are;
// an empty text when the path cannot be made full.
std::wstring fullWidePath(const std::string& nativePath);

}  // namespace unlha
