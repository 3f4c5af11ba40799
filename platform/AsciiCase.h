// ASCII letter case: the one folding used for Windows names, keys and switches everywhere.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Only the 26 ASCII letters change case: bytes above 0x7F are parts of UTF-8 or CP932
// characters (a CP932 trail byte can be a letter's code, so callers that hold CP932 text fold
// whole characters themselves and use toLower/toUpper on single bytes only).
namespace platform::ascii {

constexpr char toLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char toUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string toLower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = toLower(c);
  return out;
}

inline std::string toUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = toUpper(c);
  return out;
}

// Negative, zero or positive as a sorts before, equal to or after b with letters folded to lower
// case (bytes compare unsigned).
constexpr int compareIgnoreCase(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(toLower(a[i]));
    const auto y = static_cast<unsigned char>(toLower(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

constexpr bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && compareIgnoreCase(a, b) == 0;
}

}  // namespace platform::ascii
