// Makes the window's Windows font name resolve to an installed Japanese font on Linux.
#include "platform/qt/FontAlias.h"

#include <stdlib.h>
#include <sys/stat.h>

namespace platform::qt {

namespace {

bool isFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

bool installFontAlias(const std::string& programFolder) {
  std::string folder = programFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  std::string file = folder + kFontAliasFile;
  if (!isFile(file)) file = folder + kInstalledFontAliasFolder + "/" + kFontAliasFile;
  if (!isFile(file)) return false;

  // A relative name would break as soon as the program changes its working folder.
  char* absolute = ::realpath(file.c_str(), nullptr);
  if (absolute == nullptr) return false;
  file = absolute;
  ::free(absolute);

  const char* current = ::getenv("FONTCONFIG_FILE");
  if (current != nullptr && *current != '\0') return file == current;
  return ::setenv("FONTCONFIG_FILE", file.c_str(), 1) == 0;
}

}  // namespace platform::qt
