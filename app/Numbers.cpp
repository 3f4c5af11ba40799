// Conversions of typed and stored numbers.
#include "app/Numbers.h"

#include <cstdlib>

namespace app {

long double TextToNumber(const std::string& text) {
  std::string kept;
  for (char c : text) {
    if (c == '-' || c == '.' || (c >= '0' && c <= '9')) kept += c;
  }
  if (kept.empty()) return 0;
  if (kept.back() == '-') {
    kept.pop_back();
    kept.insert(kept.begin(), '-');
  }
  // Optional leading '-', digits with at most one '.', at least one digit.
  size_t i = kept[0] == '-' ? 1 : 0;
  bool digits = false;
  bool dot = false;
  for (; i < kept.size(); ++i) {
    if (kept[i] == '.') {
      if (dot) return 0;
      dot = true;
    } else if (kept[i] == '-') {
      return 0;
    } else {
      digits = true;
    }
  }
  if (!digits) return 0;
  return std::strtold(kept.c_str(), nullptr);
}

std::optional<int32_t> typedInteger(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  }
  if (i >= text.size()) return std::nullopt;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    int d;
    if (c >= '0' && c <= '9') {
      d = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      d = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      d = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    value = value * base + d;
    // Hexadecimal text may spell the 32-bit pattern of a negative number, as "$FFFFFFFF".
    if (value > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL)) return std::nullopt;
  }
  if (base == 16) {
    auto bits = static_cast<uint32_t>(value);
    auto signedValue = static_cast<int64_t>(static_cast<int32_t>(bits));
    return static_cast<int32_t>(negative ? -signedValue : signedValue);
  }
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<int32_t>(value);
}

std::optional<int32_t> profileInteger(const std::string& text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    return typedInteger("$" + text.substr(2));
  }
  return typedInteger(text);
}

}  // namespace app
