// Finding, creating and setting keys and values of the registry text.
#include <utility>
#include <vector>

#include "platform/AsciiCase.h"
#include "platform/posix/RegistryText.h"
#include "platform/posix/RegistryTextDetail.h"

namespace platform {
namespace registry_text {

std::string foldedName(std::string_view name) { return ascii::toLower(name); }

std::string keyLookupName(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (char c : path) {
    if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
    out += ascii::toLower(c);
  }
  if (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

std::string littleEndian32(uint32_t n) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((n >> (8 * i)) & 0xFF);
  return out;
}

namespace {

void putUnit(std::string& out, uint32_t unit) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>((unit >> 8) & 0xFF);
}

void putUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

constexpr uint32_t kReplacement = 0xFFFD;

// The code point at s[i] (advancing i); U+FFFD for a byte that starts no valid sequence.
uint32_t nextCodePoint(std::string_view s, size_t& i) {
  const auto b = static_cast<unsigned char>(s[i++]);
  if (b < 0x80) return b;
  size_t extra = 0;
  uint32_t cp = 0;
  uint32_t min = 0;
  if (b >= 0xC2 && b <= 0xDF) {
    extra = 1, cp = b & 0x1F, min = 0x80;
  } else if (b >= 0xE0 && b <= 0xEF) {
    extra = 2, cp = b & 0x0F, min = 0x800;
  } else if (b >= 0xF0 && b <= 0xF4) {
    extra = 3, cp = b & 0x07, min = 0x10000;
  } else {
    return kReplacement;
  }
  if (i + extra > s.size()) return kReplacement;
  for (size_t k = 0; k < extra; ++k) {
    const auto c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xC0) != 0x80) return kReplacement;
    cp = (cp << 6) | (c & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
  i += extra;
  return cp;
}

}  // namespace

std::string utf8ToUtf16le(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() * 2);
  size_t i = 0;
  while (i < utf8.size()) {
    const uint32_t cp = nextCodePoint(utf8, i);
    if (cp >= 0x10000) {
      putUnit(out, 0xD800 | ((cp - 0x10000) >> 10));
      putUnit(out, 0xDC00 | ((cp - 0x10000) & 0x3FF));
    } else {
      putUnit(out, cp);
    }
  }
  return out;
}

std::string utf16leToUtf8(std::string_view bytes) {
  std::string out;
  const size_t units = bytes.size() / 2;
  auto unit = [&](size_t k) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[2 * k])) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[2 * k + 1])) << 8;
  };
  for (size_t k = 0; k < units; ++k) {
    const uint32_t u = unit(k);
    if (u == 0) break;
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units && unit(k + 1) >= 0xDC00 &&
        unit(k + 1) <= 0xDFFF) {
      putUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(k + 1) - 0xDC00));
      ++k;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      putUtf8(out, kReplacement);
    } else {
      putUtf8(out, u);
    }
  }
  return out;
}

}  // namespace registry_text

using registry_text::foldedName;
using registry_text::keyLookupName;

RegistryValue RegistryValue::text(std::string name, std::string text) {
  return RegistryValue{std::move(name), Form::Text, kRegSz, std::move(text)};
}

RegistryValue RegistryValue::bytes(std::string name, uint32_t type, std::string bytes) {
  return RegistryValue{std::move(name), Form::Hex, type, std::move(bytes)};
}

std::optional<std::string> RegistryValue::stringValue() const {
  if (form == Form::Text) return data;
  if (form == Form::Hex && (type == kRegSz || type == kRegExpandSz)) {
    return registry_text::utf16leToUtf8(data);
  }
  return std::nullopt;
}

const RegistryValue* RegistryKey::findValue(std::string_view name) const {
  const std::string wanted = foldedName(name);
  for (const RegistryLine& line : lines) {
    if (line.value && foldedName(line.value->name) == wanted) return &*line.value;
  }
  return nullptr;
}

void RegistryKey::setValue(RegistryValue value) {
  const std::string wanted = foldedName(value.name);
  for (RegistryLine& line : lines) {
    if (line.value && foldedName(line.value->name) == wanted) {
      value.name = std::move(line.value->name);
      line.value = std::move(value);
      return;
    }
  }
  lines.push_back(RegistryLine{std::move(value), {}});
}

RegistryKey* RegistryDocument::findKey(std::string_view path) {
  const std::string wanted = keyLookupName(path);
  for (RegistryKey& key : keys) {
    if (!key.opaque && keyLookupName(key.path) == wanted) return &key;
  }
  return nullptr;
}

namespace {

// True when `name` is `tree` or lies below it (both in lookup form).
bool inTree(const std::string& name, const std::string& tree) {
  return name.size() >= tree.size() && name.compare(0, tree.size(), tree) == 0 &&
         (name.size() == tree.size() || name[tree.size()] == '\\');
}

}  // namespace

bool RegistryDocument::keyExists(std::string_view path) const {
  const std::string wanted = keyLookupName(path);
  if (wanted.empty()) return false;
  if (wanted.find('\\') == std::string::npos) return true;  // a root
  for (const RegistryKey& key : keys) {
    if (!key.opaque && inTree(keyLookupName(key.path), wanted)) return true;
  }
  return false;
}

RegistryKey& RegistryDocument::createKey(std::string_view path) {
  // The path's components, as given.
  std::vector<std::string_view> parts;
  size_t begin = 0;
  while (begin <= path.size()) {
    size_t end = path.find('\\', begin);
    if (end == std::string_view::npos) end = path.size();
    if (end > begin) parts.push_back(path.substr(begin, end - begin));
    begin = end + 1;
  }
  std::string text = parts.empty() ? std::string() : std::string(parts[0]);
  size_t index = keys.size();
  if (RegistryKey* root = findKey(text)) index = static_cast<size_t>(root - keys.data());
  for (size_t depth = 1; depth < parts.size(); ++depth) {
    const std::string parent = keyLookupName(text);
    text += '\\';
    text += parts[depth];
    if (RegistryKey* existing = findKey(text)) {
      text = existing->path;  // an existing key keeps the case it has
      index = static_cast<size_t>(existing - keys.data());
      continue;
    }
    size_t at = keys.size();
    for (size_t k = keys.size(); k-- > 0;) {
      if (!keys[k].opaque && inTree(keyLookupName(keys[k].path), parent)) {
        at = k + 1;
        break;
      }
    }
    keys.insert(keys.begin() + static_cast<std::ptrdiff_t>(at), RegistryKey{text, false, {}});
    index = at;
  }
  if (index == keys.size()) {
    // A root alone: it has no section of its own, so give it one at the end.
    keys.push_back(RegistryKey{text, false, {}});
  }
  return keys[index];
}

std::string registryKeyPath(std::string_view root, std::string_view key) {
  std::string out(root);
  size_t begin = 0;
  while (begin < key.size()) {
    size_t end = key.find('\\', begin);
    if (end == std::string_view::npos) end = key.size();
    if (end > begin) {
      out += '\\';
      out += key.substr(begin, end - begin);
    }
    begin = end + 1;
  }
  return out;
}

bool registryNameStorable(std::string_view name) {
  return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

}  // namespace platform
