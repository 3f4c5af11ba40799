// The settings file "DARADURA.INI": four lines PROXYIP, PROXYPORT, PATH and VER.
#pragma once

#include <cstdint>
#include <string>

namespace app {

struct Settings {
  std::string proxyIP;
  uint16_t proxyPort = 0;
  std::string path;
  std::string version;
};

// The value of the first line whose part before its first '=' equals the key without regard
// to case; empty when no line carries the key. Lines end at CR LF, CR or LF; NUL ends the text.
std::string settingValue(const std::string& text, const std::string& key);

// Reads the four values from the file's text (UTF-8). A port that is not a number, or lies
// outside 0..65535, is 0: the program then connects directly.
Settings parseSettings(const std::string& text);

// The four lines, each ended by CR LF, as the window writes them (UTF-8).
std::string settingsText(const Settings& settings);

}  // namespace app
