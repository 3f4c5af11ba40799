// Text rules the window applies to names, paths and versions.
#include "app/TextRules.h"

#include "platform/AsciiCase.h"

namespace app {
namespace {

size_t nameStart(const std::string& path) {
  size_t pos = path.find_last_of("\\:");
  return pos == std::string::npos ? 0 : pos + 1;
}

}  // namespace

size_t findIgnoreCase(std::string_view text, std::string_view needle) {
  return platform::ascii::toUpper(text).find(platform::ascii::toUpper(needle));
}

std::string withBackslash(const std::string& folder) {
  if (!folder.empty() && folder.back() == '\\') return folder;
  return folder + '\\';
}

std::string withoutBackslash(const std::string& folder) {
  std::string out = folder;
  if (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

std::string folderPart(const std::string& path) { return path.substr(0, nameStart(path)); }

std::string namePart(const std::string& path) { return path.substr(nameStart(path)); }

std::string extensionOf(const std::string& name) {
  size_t start = nameStart(name);
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot < start) return {};
  return name.substr(dot);
}

std::string changeExtension(const std::string& name, const std::string& extension) {
  std::string ext = extensionOf(name);
  return name.substr(0, name.size() - ext.size()) + extension;
}

}  // namespace app
