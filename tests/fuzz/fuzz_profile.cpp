// Fuzzing of the profile text: reading never fails, a key written reads back, and writing the
// same key again changes nothing.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/profile/ProfileText.h"

namespace {

void check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
  }
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(16);
  const std::string key = input.ConsumeRandomLengthString(16);
  const std::string value = input.ConsumeRandomLengthString(16);
  const std::string file = input.ConsumeRemainingBytesAsString();

  (void)platform::readProfileString(file, section, key);
  auto written = platform::writeProfileString(file, section, key, value);
  if (!written) return 0;
  // Values that the reading rules leave alone (no blanks or quotes around them) read back.
  const bool plain = value.empty() || (!isBlank(value.front()) && !isBlank(value.back()) &&
                                       value.front() != '"' && value.front() != '\'');
  auto read = platform::readProfileString(*written, section, key);
  check(read.has_value(), "a written key is found");
  if (plain) check(*read == value, "a written value reads back");
  auto again = platform::writeProfileString(*written, section, key, value);
  check(again.has_value() && *again == *written, "writing the same value again changes nothing");
  return 0;
}
