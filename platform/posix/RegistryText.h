// The registry file's text (Registry Editor export syntax): reading, writing and editing it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Value types as the registry numbers them.
enum RegistryType : uint32_t {
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
};

struct RegistryValue {
  // How the value is written: "…" text, dword:0000000a, or hex:…/hex(N):… bytes.
  enum class Form { Text, Dword, Hex };
  std::string name;  // empty: the key's default value, written @
  Form form = Form::Text;
  uint32_t type = kRegSz;  // Text: kRegSz; Dword: kRegDword; Hex: as written ("hex:" is binary)
  std::string data;        // Text: the text (UTF-8); Dword: 4 bytes, little-endian; Hex: bytes

  static RegistryValue text(std::string name, std::string text);
  static RegistryValue bytes(std::string name, uint32_t type, std::string bytes);
  // The text of a string value: the text form, or hex(1)/hex(2) bytes read as UTF-16LE up to
  // their terminating NUL. nullopt for any other type.
  std::optional<std::string> stringValue() const;
};

// One line of a key's section: a value, or a line that is none (a comment, a deletion, a
// damaged value), kept as it stood so that a rewrite loses nothing.
struct RegistryLine {
  std::optional<RegistryValue> value;
  std::string text;  // when value is empty; may hold several lines (a cut hex continuation)
};

struct RegistryKey {
  std::string path;     // as its header names it: "HKEY_LOCAL_MACHINE\SOFTWARE\Valtern\Brevan"
  bool opaque = false;  // a header naming no key ("[-…]", a deletion): kept, never matched
  std::vector<RegistryLine> lines;

  // The value of that name (ASCII case ignored; "" is the default value), or nullptr.
  const RegistryValue* findValue(std::string_view name) const;
  // Replaces the value of that name in its place, keeping the stored name's letter case, or
  // appends it.
  void setValue(RegistryValue value);
};

struct RegistryDocument {
  std::vector<std::string> preamble;  // lines before the first header, other than the version
  std::vector<RegistryKey> keys;

  // The section of a key (path: "HKEY_CURRENT_USER\Software\…"; ASCII case ignored, repeated,
  // leading and trailing backslashes ignored), or nullptr.
  RegistryKey* findKey(std::string_view path);
  // True when the key has a section, or a key below it has one (a header implies its parents),
  // or the path names a root alone.
  bool keyExists(std::string_view path) const;
  // The key's section, created with a section for each missing parent below the root; a new
  // section goes after the last section of its parent's tree (the end when there is none).
  RegistryKey& createKey(std::string_view path);
};

// Reads registry text. Never fails: a missing version line is tolerated, lines that are no
// header or value are kept as they stand, a later section or value of the same name merges into
// the first, as importing the file would. Lines end in LF or CR LF; a UTF-8 BOM is skipped.
RegistryDocument parseRegistryText(std::string_view text);
// Writes the text: the version line, then each section followed by a blank line; CR LF line
// ends; long hex values continue on lines ending in '\'. Strings holding a line break or a NUL
// are written as hex(1) (UTF-16LE), the only form that keeps them on one line.
std::string formatRegistryText(const RegistryDocument& document);

// The full path of a key under a root: "HKEY_LOCAL_MACHINE" + "\" + key, with repeated and
// outer backslashes dropped.
std::string registryKeyPath(std::string_view root, std::string_view key);
// True when a key or value name can be stored in the text (no CR, LF or NUL).
bool registryNameStorable(std::string_view name);

}  // namespace platform
