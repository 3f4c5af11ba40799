// Windows wildcard matching of file names.
#include "platform/Wildcard.h"

#include <cstddef>

namespace platform {
namespace {

char foldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool matchFrom(std::string_view p, std::string_view n) {
  size_t pi = 0, ni = 0, starP = std::string_view::npos, starN = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == '?' || foldAscii(p[pi]) == foldAscii(n[ni])) && p[pi] != '*') {
      ++pi;
      ++ni;
    } else if (pi < p.size() && p[pi] == '*') {
      starP = pi++;
      starN = ni;
    } else if (starP != std::string_view::npos) {
      pi = starP + 1;
      ni = ++starN;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

}  // namespace

bool wildcardMatch(std::string_view pattern, std::string_view name) {
  // "*.*" and a pattern ending in ".*" also take names without any dot, as on Windows.
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
      name.find('.') == std::string_view::npos) {
    if (matchFrom(pattern.substr(0, pattern.size() - 2), name)) return true;
  }
  return matchFrom(pattern, name);
}

}  // namespace platform
