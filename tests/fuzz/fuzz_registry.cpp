// Fuzzing of the registry text: any bytes read, written and read again give the same text, and
// a value set into the document reads back after a rewrite.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/posix/RegistryText.h"

namespace {

constexpr const char* kKey = "HKEY_CURRENT_USER\\Software\\AHOEM011\\JanSDK8";

void check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
  }
}

bool validUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const size_t n = b < 0x80                   ? 0
                     : (b >= 0xC2 && b <= 0xDF) ? 1
                     : (b >= 0xE0 && b <= 0xEF) ? 2
                     : (b >= 0xF0 && b <= 0xF4) ? 3
                                                : 4;
    if (n == 4 || s.size() - i - 1 < n) return false;
    uint32_t cp = n == 0 ? b : b & (0x3F >> n);
    for (size_t k = 1; k <= n; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = cp << 6 | (c & 0x3F);
    }
    const uint32_t min = n == 1 ? 0x80 : n == 2 ? 0x800 : n == 3 ? 0x10000 : 0;
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += n + 1;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string name = input.ConsumeRandomLengthString(24);
  const std::string value = input.ConsumeRandomLengthString(48);
  const std::string text = input.ConsumeRemainingBytesAsString();

  platform::RegistryDocument doc = platform::parseRegistryText(text);
  for (const auto& key : doc.keys) {
    for (const auto& line : key.lines) {
      if (line.value) (void)line.value->stringValue();
    }
  }
  const std::string written = platform::formatRegistryText(doc);
  check(platform::formatRegistryText(platform::parseRegistryText(written)) == written,
        "a written registry reads back to the same text");

  // What the program does at start-up: create a key, set a value, write the file.
  if (!platform::registryNameStorable(name)) return 0;
  doc.createKey(kKey).setValue(platform::RegistryValue::text(name, value));
  platform::RegistryDocument again = platform::parseRegistryText(platform::formatRegistryText(doc));
  check(again.keyExists("HKEY_CURRENT_USER\\Software\\AHOEM011"), "parents exist");
  const platform::RegistryKey* key = again.findKey(kKey);
  check(key != nullptr, "the created key reads back");
  const platform::RegistryValue* read = key->findValue(name);
  check(read != nullptr, "the value reads back");
  auto readText = read->stringValue();
  check(readText.has_value(), "a string stays a string");
  if (platform::registryNameStorable(value)) {
    check(*readText == value, "a one-line string reads back byte for byte");
  } else if (validUtf8(value)) {
    check(*readText == value.substr(0, value.find('\0')), "a string with line breaks reads back");
  }
  return 0;
}
