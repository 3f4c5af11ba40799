// Fuzzes the archiver command-line parser: any bytes, no crash, and sound results.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "unlha32/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const unlha::ParsedCommand parsed = unlha::parseCommandLine(line);
  if (parsed.error == 0) {
    const unlha::Command& c = parsed.command;
    const char last = c.destination.empty() ? 0 : c.destination.back();
    if ((c.word != 'e' && c.word != 'x') || c.archive.empty() || (last != '\\' && last != '/')) {
      std::abort();
    }
  } else if (parsed.message.empty()) {
    std::abort();
  }
  return 0;
}
