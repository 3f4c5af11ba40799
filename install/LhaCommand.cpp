// The archive library's command line, with paths the library can take in CP932.
#include "install/LhaCommand.h"

namespace install {
namespace {

bool fitsCp932(platform::TextCodec& codec, const std::string& text) {
  return codec.fromCp932(codec.toCp932(text)) == text;
}

std::string libraryPath(platform::TextCodec& codec, platform::SystemFolders& folders,
                        const std::string& path) {
  if (fitsCp932(codec, path)) return path;
  if (auto shortForm = folders.shortPathName(path); shortForm && fitsCp932(codec, *shortForm)) {
    return *shortForm;
  }
  return path;
}

}  // namespace

std::string LhaCommandLine(platform::TextCodec& codec, platform::SystemFolders& folders,
                           const std::string& archivePath, const std::string& destFolder) {
  return codec.toCp932("e -jyc -jyo \"" + libraryPath(codec, folders, archivePath) +
                       "\" -d1 -c1 \"" + libraryPath(codec, folders, destFolder) + "\\\"");
}

}  // namespace install
