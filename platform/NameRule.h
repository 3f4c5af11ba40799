// The one rule for file names that come from update data (LHA members, help-merge blocks):
// what Windows would read as something other than a plain file below the target is refused.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AsciiCase.h"

namespace platform::names {

// Longest name and longest relative path accepted, in UTF-8 bytes: names that long already
// fail on most file systems, and a path that long would pass the limit of the folders it
// lands in.
inline constexpr std::size_t kMaxNameBytes = 255;
inline constexpr std::size_t kMaxPathBytes = 1024;

enum class NameProblem {
  none,
  absolute,      // begins with a separator
  drive,         // a drive letter or stream name (':')
  parent,        // a ".." component
  badCharacter,  // a control character or one of <>"|?*
  trailingDot,   // a name that ends in a dot or blank, which Windows silently cuts off
  deviceName,    // CON, AUX.htm, COM1.gif...: Windows opens the device, not a file
  nameTooLong,   // a component over kMaxNameBytes
  pathTooLong,   // the whole path over kMaxPathBytes
};

// A short English text for a problem, for reports.
constexpr const char* describe(NameProblem problem) {
  switch (problem) {
    case NameProblem::none:
      return "";
    case NameProblem::absolute:
      return "absolute path";
    case NameProblem::drive:
      return "drive or stream name";
    case NameProblem::parent:
      return "parent folder (..)";
    case NameProblem::badCharacter:
      return "invalid character";
    case NameProblem::trailingDot:
      return "name ends in a dot or blank";
    case NameProblem::deviceName:
      return "device name";
    case NameProblem::nameTooLong:
      return "name too long";
    case NameProblem::pathTooLong:
      return "path too long";
  }
  return "";
}

constexpr bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Windows reads these as devices in any folder, with any extension, and with blanks before the
// extension: CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0-9 and LPT0-9, the last two also with a
// superscript digit (¹ ² ³, which Windows counts as digits here). UTF-8 text.
inline bool isDeviceName(std::string_view name) {
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  const std::string upper = ascii::toUpper(stem);
  if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL" || upper == "CONIN$" ||
      upper == "CONOUT$") {
    return true;
  }
  if (upper.size() < 4 || (upper.compare(0, 3, "COM") != 0 && upper.compare(0, 3, "LPT") != 0)) {
    return false;
  }
  const std::string_view digit = std::string_view(upper).substr(3);
  if (digit.size() == 1) return digit[0] >= '0' && digit[0] <= '9';
  return digit == "\xC2\xB9" || digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

constexpr bool hasForbiddenCharacter(std::string_view name) {
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return true;
    if (std::string_view("<>:\"|?*").find(c) != std::string_view::npos) return true;
  }
  return false;
}

// What is wrong with one component of a path (no separator in it), or none.
inline NameProblem checkName(std::string_view name) {
  if (name == "..") return NameProblem::parent;
  if (name.find(':') != std::string_view::npos) return NameProblem::drive;
  if (hasForbiddenCharacter(name)) return NameProblem::badCharacter;
  if (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
    return NameProblem::trailingDot;
  }
  if (isDeviceName(name)) return NameProblem::deviceName;
  if (name.size() > kMaxNameBytes) return NameProblem::nameTooLong;
  return NameProblem::none;
}

struct CheckedPath {
  NameProblem problem = NameProblem::none;
  std::vector<std::string> parts;  // the folder names, then the file's own name
};

// Checks a relative path ('\' or '/' between names, UTF-8) for writing beneath a target
// folder. Empty and "." components are dropped; no parts at all is not a problem here.
inline CheckedPath checkRelativePath(std::string_view path) {
  CheckedPath result;
  if (!path.empty() && isSeparator(path[0])) {
    result.problem = NameProblem::absolute;
    return result;
  }
  if (path.size() > kMaxPathBytes) {
    result.problem = NameProblem::pathTooLong;
    return result;
  }
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !isSeparator(path[end])) ++end;
    const std::string_view part = path.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (const NameProblem problem = checkName(part); problem != NameProblem::none) {
      result.problem = problem;
      result.parts.clear();
      return result;
    }
    result.parts.emplace_back(part);
  }
  return result;
}

}  // namespace platform::names
