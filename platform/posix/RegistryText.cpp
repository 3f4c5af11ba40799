// Reading the registry file's text (Registry Editor export syntax).
#include "platform/posix/RegistryText.h"

#include <string_view>
#include <unordered_map>

#include "platform/AsciiCase.h"
#include "platform/posix/RegistryTextDetail.h"

namespace platform {
namespace {

using registry_text::foldedName;
using registry_text::keyLookupName;
using registry_text::kVersionLine;
constexpr std::string_view kOldVersionLine = "REGEDIT4";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (ascii::toLower(s[i]) != prefix[i]) return false;
  }
  return true;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to 8 hex digits, nothing else.
std::optional<uint32_t> parseHexNumber(std::string_view s) {
  if (s.empty() || s.size() > 8) return std::nullopt;
  uint32_t n = 0;
  for (char c : s) {
    const int d = hexDigit(c);
    if (d < 0) return std::nullopt;
    n = (n << 4) | static_cast<uint32_t>(d);
  }
  return n;
}

// A quoted name or text starting at s[pos] == '"', with \\ and \" unescaped (a backslash before
// anything else stays); pos ends after the closing quote.
std::optional<std::string> parseQuoted(std::string_view s, size_t& pos) {
  std::string out;
  for (size_t i = pos + 1; i < s.size(); ++i) {
    if (s[i] == '"') {
      pos = i + 1;
      return out;
    }
    if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) ++i;
    out += s[i];
  }
  return std::nullopt;
}

// Where the data of a value line starts ("name"= or @=), with its name; npos when the line is
// not a value line.
size_t dataStart(std::string_view line, std::string& name) {
  size_t pos = 0;
  if (line.empty()) return std::string_view::npos;
  if (line[0] == '@') {
    name.clear();
    pos = 1;
  } else if (line[0] == '"') {
    auto quoted = parseQuoted(line, pos);
    if (!quoted) return std::string_view::npos;
    name = std::move(*quoted);
  } else {
    return std::string_view::npos;
  }
  while (pos < line.size() && isBlank(line[pos])) ++pos;
  if (pos >= line.size() || line[pos] != '=') return std::string_view::npos;
  ++pos;
  while (pos < line.size() && isBlank(line[pos])) ++pos;
  return pos;
}

// "00,0c,ff" (blanks allowed around each byte; an empty list is no bytes).
std::optional<std::string> parseHexBytes(std::string_view list) {
  std::string bytes;
  if (trim(list).empty()) return bytes;
  size_t begin = 0;
  for (;;) {
    const size_t comma = list.find(',', begin);
    const std::string_view item =
        trim(list.substr(begin, comma == std::string_view::npos ? list.npos : comma - begin));
    auto n = item.size() <= 2 ? parseHexNumber(item) : std::nullopt;
    if (!n) return std::nullopt;
    bytes += static_cast<char>(*n);
    if (comma == std::string_view::npos) return bytes;
    begin = comma + 1;
  }
}

// The value of a whole (continuations joined) value line; nullopt when it is damaged.
std::optional<RegistryValue> parseValue(std::string_view line) {
  RegistryValue value;
  const size_t start = dataStart(line, value.name);
  if (start == std::string_view::npos) return std::nullopt;
  std::string_view data = line.substr(start);
  if (!data.empty() && data[0] == '"') {
    size_t pos = 0;
    auto text = parseQuoted(data, pos);
    if (!text || !trim(data.substr(pos)).empty()) return std::nullopt;
    value.data = std::move(*text);
    return value;
  }
  if (startsWithNoCase(data, "dword:")) {
    auto n = parseHexNumber(trim(data.substr(6)));
    if (!n) return std::nullopt;
    value.form = RegistryValue::Form::Dword;
    value.type = kRegDword;
    value.data = registry_text::littleEndian32(*n);
    return value;
  }
  if (!startsWithNoCase(data, "hex")) return std::nullopt;
  data.remove_prefix(3);
  value.form = RegistryValue::Form::Hex;
  value.type = kRegBinary;
  if (!data.empty() && data[0] == '(') {
    const size_t close = data.find(')');
    if (close == std::string_view::npos) return std::nullopt;
    auto type = parseHexNumber(data.substr(1, close - 1));
    if (!type) return std::nullopt;
    value.type = *type;
    data.remove_prefix(close + 1);
  }
  if (data.empty() || data[0] != ':') return std::nullopt;
  auto bytes = parseHexBytes(data.substr(1));
  if (!bytes) return std::nullopt;
  value.data = std::move(*bytes);
  return value;
}

// The file's physical lines, without their line ends.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : m_text(text) {}
  bool next(std::string_view& line) {
    if (m_pos >= m_text.size()) return false;
    size_t end = m_text.find('\n', m_pos);
    if (end == std::string_view::npos) end = m_text.size();
    line = m_text.substr(m_pos, end - m_pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    m_pos = end + 1;
    return true;
  }
  // The next line without taking it.
  bool peek(std::string_view& line) {
    const size_t keep = m_pos;
    const bool got = next(line);
    m_pos = keep;
    return got;
  }

 private:
  std::string_view m_text;
  size_t m_pos = 0;
};

// A line that cannot continue a hex value: blank, a header or another value.
bool endsContinuation(std::string_view trimmed) {
  return trimmed.empty() || trimmed[0] == '[' || trimmed[0] == '"' || trimmed[0] == '@';
}

class Parser {
 public:
  RegistryDocument run(std::string_view text) {
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());
    LineReader reader(text);
    std::string_view line;
    bool seenContent = false;
    while (reader.next(line)) {
      const std::string_view t = trim(line);
      if (t.empty()) continue;
      if (!seenContent) {
        seenContent = true;
        if (t == kVersionLine || t == kOldVersionLine) continue;
      }
      if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
        openKey(t.substr(1, t.size() - 2));
      } else {
        valueLine(reader, line, t);
      }
    }
    return std::move(m_doc);
  }

 private:
  void openKey(std::string_view path) {
    const bool opaque = trim(path).empty() || trim(path).front() == '-';
    if (!opaque) {
      auto [it, added] = m_keyIndex.emplace(keyLookupName(path), m_doc.keys.size());
      if (!added) {
        m_current = it->second;
        return;
      }
    }
    m_current = m_doc.keys.size();
    m_doc.keys.push_back(RegistryKey{std::string(path), opaque, {}});
    m_valueIndex.emplace_back();
  }

  void valueLine(LineReader& reader, std::string_view line, std::string_view t) {
    std::vector<std::string_view> physical{line};
    std::string whole(t);
    std::string name;
    const size_t start = dataStart(t, name);
    if (start != std::string_view::npos && startsWithNoCase(t.substr(start), "hex")) {
      std::string_view next;
      while (!whole.empty() && whole.back() == '\\' && reader.peek(next) &&
             !endsContinuation(trim(next))) {
        whole.pop_back();
        whole += trim(next);
        physical.push_back(next);
        reader.next(next);
      }
    }
    auto value = start == std::string_view::npos ? std::nullopt : parseValue(whole);
    if (!value || m_current == kNone) {
      for (std::string_view p : physical) keepLine(p);
      return;
    }
    RegistryKey& key = m_doc.keys[m_current];
    auto [it, added] = m_valueIndex[m_current].emplace(foldedName(value->name), key.lines.size());
    if (added) {
      key.lines.push_back(RegistryLine{std::move(value), {}});
    } else {
      // A later value of the same name wins, as an import would have it; the first name stays.
      value->name = key.lines[it->second].value->name;
      key.lines[it->second].value = std::move(value);
    }
  }

  void keepLine(std::string_view line) {
    if (m_current == kNone) {
      m_doc.preamble.emplace_back(line);
    } else {
      m_doc.keys[m_current].lines.push_back(RegistryLine{std::nullopt, std::string(line)});
    }
  }

  static constexpr size_t kNone = static_cast<size_t>(-1);
  RegistryDocument m_doc;
  size_t m_current = kNone;
  std::unordered_map<std::string, size_t> m_keyIndex;
  std::vector<std::unordered_map<std::string, size_t>> m_valueIndex;
};

}  // namespace

RegistryDocument parseRegistryText(std::string_view text) { return Parser().run(text); }

}  // namespace platform
