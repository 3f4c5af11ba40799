// Fuzzing of the PE version reader: raw bytes, and a well-formed program with fuzzed patches
// (which reaches the resource tree far more often than raw bytes do).
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/posix/PeVersion.h"
#include "tools/pe/PeWriter.h"

namespace {

const std::string& sample(bool pe32Plus) {
  static const std::string images[2] = {
      [] {
        tools::pe::PeDescription shape;
        shape.version = tools::pe::VersionResource::of(2, 5, 3, 0);
        return tools::pe::buildPe(shape).bytes;
      }(),
      [] {
        tools::pe::PeDescription shape;
        shape.pe32Plus = true;
        shape.version = tools::pe::VersionResource::of(2, 5, 3, 0);
        return tools::pe::buildPe(shape).bytes;
      }(),
  };
  return images[pe32Plus ? 1 : 0];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0];
  if ((mode & 1) != 0) {
    (void)platform::readPeFileVersion(
        std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    return 0;
  }
  // Patches: 16-bit little-endian offset, then a 32-bit value; the last bytes may cut the file.
  std::string bytes = sample((mode & 2) != 0);
  size_t i = 1;
  for (; i + 6 <= size; i += 6) {
    const size_t at = (data[i] | data[i + 1] << 8) % bytes.size();
    for (size_t k = 0; k < 4 && at + k < bytes.size(); ++k) {
      bytes[at + k] = static_cast<char>(data[i + 2 + k]);
    }
  }
  if (i < size && (mode & 4) != 0) bytes.resize(bytes.size() * data[i] / 256);
  (void)platform::readPeFileVersion(bytes);
  return 0;
}
