// Writing the registry file's text in the Registry Editor export syntax.
#include <string>
#include <string_view>

#include "platform/posix/RegistryText.h"
#include "platform/posix/RegistryTextDetail.h"

namespace platform {
namespace {

constexpr size_t kHexLineLimit = 80;  // as the Registry Editor wraps its hex lines

std::string escaped(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 2);
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

std::string hexByte(unsigned char b) {
  static constexpr char kDigits[] = "0123456789abcdef";
  return {kDigits[b >> 4], kDigits[b & 0x0F]};
}

void writeHex(std::string& out, std::string line, std::string_view bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::string item = hexByte(static_cast<unsigned char>(bytes[i]));
    if (i + 1 < bytes.size()) item += ',';
    if (line.size() + item.size() + 1 > kHexLineLimit) {
      out += line;
      out += "\\\r\n";
      line = "  ";
    }
    line += item;
  }
  out += line;
  out += "\r\n";
}

void writeValue(std::string& out, const RegistryValue& v) {
  std::string line = v.name.empty() ? std::string("@=") : "\"" + escaped(v.name) + "\"=";
  switch (v.form) {
    case RegistryValue::Form::Text:
      if (registryNameStorable(v.data)) {
        out += line + "\"" + escaped(v.data) + "\"\r\n";
      } else {
        writeHex(out,
                 line + "hex(1):", registry_text::utf8ToUtf16le(v.data) + std::string(2, '\0'));
      }
      return;
    case RegistryValue::Form::Dword: {
      std::string digits;
      for (size_t i = 4; i-- > 0;) {
        digits += hexByte(i < v.data.size() ? static_cast<unsigned char>(v.data[i]) : 0);
      }
      out += line + "dword:" + digits + "\r\n";
      return;
    }
    case RegistryValue::Form::Hex: {
      std::string type;
      if (v.type != kRegBinary) {
        for (int shift = 28; shift >= 0; shift -= 4) {
          const auto nibble = static_cast<unsigned char>((v.type >> shift) & 0x0F);
          if (!type.empty() || nibble != 0 || shift == 0) type += hexByte(nibble)[1];
        }
        type = "(" + type + ")";
      }
      writeHex(out, line + "hex" + type + ":", v.data);
      return;
    }
  }
}

// A kept line as it stood. One that ends in '\' is followed by a blank line, so that reading
// the text again cannot join the next line to it as the continuation of a hex value.
void writeKeptLine(std::string& out, const std::string& line) {
  out += line;
  out += "\r\n";
  size_t end = line.size();
  while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
  if (end > 0 && line[end - 1] == '\\') out += "\r\n";
}

}  // namespace

std::string formatRegistryText(const RegistryDocument& document) {
  std::string out(registry_text::kVersionLine);
  out += "\r\n";
  for (const std::string& line : document.preamble) writeKeptLine(out, line);
  out += "\r\n";
  for (const RegistryKey& key : document.keys) {
    out += "[" + key.path + "]\r\n";
    for (const RegistryLine& line : key.lines) {
      if (line.value) {
        writeValue(out, *line.value);
      } else {
        writeKeptLine(out, line.text);
      }
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace platform
