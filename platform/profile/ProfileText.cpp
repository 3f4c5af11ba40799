// Initialisation-file text ("[section]" headers, "key=value" lines) in code page 932 bytes.
#include "platform/profile/ProfileText.h"

#include "platform/AsciiCase.h"

namespace platform {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Blanks as the profile functions cut them. None of them can be a CP932 trail byte.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

bool isLead(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// One line: bytes [begin, contentEnd) and its line end up to `end`.
struct Line {
  size_t begin = 0;
  size_t contentEnd = 0;
  size_t end = 0;
};

// The line starting at `begin` (begin < size).
Line lineAt(std::string_view text, size_t begin) {
  Line line;
  line.begin = begin;
  const size_t lf = text.find('\n', begin);
  line.end = lf == std::string_view::npos ? text.size() : lf + 1;
  line.contentEnd = lf == std::string_view::npos ? text.size() : lf;
  if (line.contentEnd > begin && text[line.contentEnd - 1] == '\r') --line.contentEnd;
  return line;
}

std::string_view content(std::string_view text, const Line& line) {
  return text.substr(line.begin, line.contentEnd - line.begin);
}

// The section name of a header line, or nullopt when the line is no header.
std::optional<std::string_view> headerName(std::string_view line) {
  line = trim(line);
  if (line.empty() || line[0] != '[') return std::nullopt;
  size_t close = std::string_view::npos;
  for (size_t i = 1; i < line.size(); ++i) {
    if (line[i] == ']') {
      close = i;
    } else if (isLead(line[i]) && i + 1 < line.size()) {
      ++i;  // a trail byte may be ']'
    }
  }
  return trim(line.substr(1, (close == std::string_view::npos ? line.size() : close) - 1));
}

// Where a key of a section stands, and where a new key of that section would go.
struct Place {
  bool sectionFound = false;
  bool keyFound = false;
  Line keyLine;
  std::string_view keyName;         // as the file spells it
  size_t insertAt = 0;              // after the section's last non-blank line
  bool insertNeedsLineEnd = false;  // that line ends the text without a line end
};

Place find(std::string_view text, std::string_view section, std::string_view key) {
  Place place;
  bool inSection = false;
  for (size_t pos = 0; pos < text.size();) {
    const Line line = lineAt(text, pos);
    pos = line.end;
    const std::string_view c = content(text, line);
    if (auto name = headerName(c)) {
      if (inSection) break;  // only the first section of the name counts
      if (profileNamesEqual(*name, section)) {
        inSection = place.sectionFound = true;
        place.insertAt = line.end;
        place.insertNeedsLineEnd = text[line.end - 1] != '\n';
      }
      continue;
    }
    if (!inSection || trim(c).empty()) continue;
    place.insertAt = line.end;
    place.insertNeedsLineEnd = text[line.end - 1] != '\n';
    const size_t eq = c.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view name = trim(c.substr(0, eq));
    if (profileNamesEqual(name, key)) {
      place.keyFound = true;
      place.keyLine = line;
      place.keyName = name;
      return place;
    }
  }
  return place;
}

// True when the byte occurs as a character of its own, not as the trail byte of a pair.
bool containsSingle(std::string_view s, char wanted) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == wanted) return true;
    if (isLead(s[i])) ++i;
  }
  return false;
}

// True when the last byte is a lead byte without its trail: in a header it would take the
// closing ']' for its trail byte.
bool endsInLeadByte(std::string_view s) {
  bool lead = false;
  for (size_t i = 0; i < s.size(); ++i) {
    lead = isLead(s[i]) && i + 1 == s.size();
    if (isLead(s[i])) ++i;
  }
  return lead;
}

bool storable(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

}  // namespace

bool profileNamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (isLead(a[i]) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
    } else if (ascii::toLower(a[i]) != ascii::toLower(b[i])) {
      return false;
    }
  }
  return true;
}

std::optional<std::string> readProfileString(std::string_view bytes, std::string_view section,
                                             std::string_view key) {
  const Place place = find(bytes, trim(section), trim(key));
  if (!place.keyFound) return std::nullopt;
  const std::string_view line = content(bytes, place.keyLine);
  std::string_view value = trim(line.substr(line.find('=') + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

std::optional<std::string> writeProfileString(std::string_view bytes, std::string_view section,
                                              std::string_view key, std::string_view value) {
  section = trim(section);
  key = trim(key);
  if (section.empty() || key.empty() || !storable(section) || !storable(key) || !storable(value) ||
      key.find('=') != std::string_view::npos || key.front() == '[' ||
      containsSingle(section, ']') || endsInLeadByte(section)) {
    return std::nullopt;
  }
  const Place place = find(bytes, section, key);
  std::string out;
  out.reserve(bytes.size() + section.size() + key.size() + value.size() + 8);
  if (place.keyFound) {
    out.append(bytes.substr(0, place.keyLine.begin));
    out.append(place.keyName).append("=").append(value);
    out.append(bytes.substr(place.keyLine.contentEnd));
    return out;
  }
  if (place.sectionFound) {
    out.append(bytes.substr(0, place.insertAt));
    if (place.insertNeedsLineEnd) out.append(kLineEnd);
    out.append(key).append("=").append(value).append(kLineEnd);
    out.append(bytes.substr(place.insertAt));
    return out;
  }
  out.append(bytes);
  if (!out.empty() && out.back() != '\n') out.append(kLineEnd);
  out.append("[").append(section).append("]").append(kLineEnd);
  out.append(key).append("=").append(value).append(kLineEnd);
  return out;
}

}  // namespace platform
