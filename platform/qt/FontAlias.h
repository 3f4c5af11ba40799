// Makes the window's Windows font name resolve to an installed Japanese font on Linux.
#pragma once

#include <string>

namespace platform::qt {

// The file, next to the program, that maps "ＭＳ ゴシック" and "MS Gothic" to IPAGothic.
inline constexpr const char* kFontAliasFile = "brevan-fonts.conf";

// Points fontconfig at `programFolder`/brevan-fonts.conf, which loads the system's
// configuration and adds the alias. Must run before the QApplication is created (fontconfig
// reads its configuration once). Returns false, changing nothing, when the file is missing or
// when FONTCONFIG_FILE already names another configuration (the user's choice wins); the
// window then still shows Japanese through fontconfig's ordinary fallback, in another face.
bool installFontAlias(const std::string& programFolder);

}  // namespace platform::qt
