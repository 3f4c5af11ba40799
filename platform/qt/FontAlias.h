// Makes the window's Windows font name resolve to an installed Japanese font on Linux.
#pragma once

#include <string>

namespace platform::qt {

// The file, next to the program, that maps "ＭＳ ゴシック" and "MS Gothic" to IPAGothic.
inline constexpr const char* kFontAliasFile = "brevan-fonts.conf";
// Where an installed program keeps it, relative to its folder (/usr/bin to
// /usr/share/brevan-update).
inline constexpr const char* kInstalledFontAliasFolder = "../share/brevan-update";

// Points fontconfig at `programFolder`/brevan-fonts.conf (for an installed program, the one in
// its shared data folder), which loads the system's configuration and adds the alias. Must run
// before the QApplication is created (fontconfig reads its configuration once). Returns false,
// changing nothing, when the file is missing or when FONTCONFIG_FILE already names another
// configuration (the user's choice wins); the window then still shows Japanese through
// fontconfig's ordinary fallback, in another face.
bool installFontAlias(const std::string& programFolder);

}  // namespace platform::qt
