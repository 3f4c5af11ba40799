// Fuzzes reading and checking stored names: raw header bytes of any level, real CP932 decoding.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/posix/TextCodec_posix.h"
#include "unlha32/MemberName.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static platform::posix::IconvTextCodec codec;
  const unlha::RawName raw = unlha::readRawName(data + 1, size - 1, data[0] & 3);
  const std::string path =
      unlha::storedPath(raw, [](std::string_view b) { return codec.fromCp932(std::string(b)); });
  const unlha::MemberPath checked = unlha::checkMemberPath(path);
  if (checked.error != 0) return 0;
  for (const std::string& part : checked.parts) {
    // A part that passed must be one plain name: no separator, no way up, not empty.
    if (part.empty() || part == "." || part == ".." || part.size() > 255 ||
        part.find_first_of("\\/:") != std::string::npos) {
      std::abort();
    }
  }
  return 0;
}
