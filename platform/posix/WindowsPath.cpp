// Text rules of Windows paths.
#include "platform/posix/WindowsPath.h"

#include "platform/AsciiCase.h"

namespace platform::posix {
namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Splits the part after the drive root and applies "." and "..".
void addComponents(std::string_view rest, DrivePath& out) {
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = start;
    while (end < rest.size() && !isSeparator(rest[end])) ++end;
    std::string_view part = rest.substr(start, end - start);
    if (part == "..") {
      if (!out.components.empty()) out.components.pop_back();
    } else if (!part.empty() && part != ".") {
      out.components.emplace_back(part);
    }
    start = end + 1;
  }
  out.trailingSeparator = !rest.empty() && isSeparator(rest.back());
}

}  // namespace

std::optional<DrivePath> parseDrivePath(std::string_view path) {
  if (path.find('\0') != std::string_view::npos) return std::nullopt;
  if (path.size() < 3 || !isDriveLetter(path[0]) || path[1] != ':' || !isSeparator(path[2])) {
    return std::nullopt;
  }
  DrivePath out;
  out.drive = ascii::toUpper(path[0]);
  addComponents(path.substr(3), out);
  return out;
}

std::string drivePathText(const DrivePath& path) {
  std::string text{path.drive, ':', '\\'};
  for (size_t i = 0; i < path.components.size(); ++i) {
    if (i > 0) text += '\\';
    text += path.components[i];
  }
  if (path.trailingSeparator && !path.components.empty()) text += '\\';
  return text;
}

std::optional<std::string> resolveFullPath(std::string_view path) {
  if (path.empty() || path.find('\0') != std::string_view::npos) return std::nullopt;
  if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) return std::nullopt;
  DrivePath out;
  std::string_view rest = path;
  char drive = 'C';
  if (path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':') {
    drive = path[0];  // GetFullPathName keeps the letter's case
    rest = path.substr(2);
  }
  addComponents(rest, out);
  out.drive = drive;
  return drivePathText(out);
}

}  // namespace platform::posix
