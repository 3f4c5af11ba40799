// The settings file "DARADURA.INI".
#include "app/SettingsFile.h"

#include <cmath>

#include "app/Numbers.h"
#include "app/TextRules.h"
#include "platform/AsciiCase.h"

namespace app {

std::string settingValue(const std::string& text, const std::string& key) {
  std::string_view rest(text);
  if (auto nul = rest.find('\0'); nul != std::string_view::npos) rest = rest.substr(0, nul);
  while (!rest.empty()) {
    size_t end = rest.find_first_of("\r\n");
    std::string_view line = rest.substr(0, end);
    if (end == std::string_view::npos) {
      rest = {};
    } else {
      size_t next = end + 1;
      if (rest[end] == '\r' && next < rest.size() && rest[next] == '\n') ++next;
      rest = rest.substr(next);
    }
    size_t eq = line.find('=');
    if (eq != std::string_view::npos &&
        platform::ascii::equalsIgnoreCase(line.substr(0, eq), key)) {
      return std::string(line.substr(eq + 1));
    }
  }
  return {};
}

Settings parseSettings(const std::string& text) {
  Settings s;
  s.proxyIP = settingValue(text, "PROXYIP");
  long double port = std::trunc(TextToNumber(settingValue(text, "PROXYPORT")));
  if (port >= 0 && port <= 65535) s.proxyPort = static_cast<uint16_t>(port);
  s.path = settingValue(text, "PATH");
  s.version = settingValue(text, "VER");
  return s;
}

std::string settingsText(const Settings& settings) {
  return "PROXYIP=" + settings.proxyIP + "\r\n" +
         "PROXYPORT=" + std::to_string(settings.proxyPort) + "\r\n" + "PATH=" + settings.path +
         "\r\n" + "VER=" + settings.version + "\r\n";
}

}  // namespace app
