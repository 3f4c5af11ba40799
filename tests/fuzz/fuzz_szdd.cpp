// Fuzzing of SZDD decoding, from memory to memory: any bytes give exactly the length the header
// announces, or a failure for damaged or short data; never a crash, a read past the input or a
// write error.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/posix/SzddDecoder_mspack.h"

namespace {

void check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // The length as the expansion reads it from the header; a cut header still gets one.
  uint32_t length = 0;
  for (size_t k = 0; k < 4 && 10 + k < size; ++k)
    length |= static_cast<uint32_t>(data[10 + k]) << (8 * k);
  std::string output;
  const platform::Status status = platform::posix::decodeSzdd(input, output, length);
  if (status.ok()) {
    // The expansion hands the decoder only whole SZDD headers with method A; the decoder also
    // takes the QBasic variant, which the expansion copies as it stands.
    const bool szdd =
        size >= 14 && std::memcmp(data, "SZDD\x88\xF0\x27\x33", 8) == 0 && data[8] == 'A';
    const bool qbasic = size >= 12 && std::memcmp(data, "SZ \x88\xF0\x27\x33\xD1", 8) == 0;
    check(szdd || qbasic, "only a whole header decodes");
    check(output.size() == length, "the output has the announced length");
  } else {
    check(status.error == platform::kErrorInvalidData || status.error == platform::kErrorReadFault,
          "a failure is damaged data or input that ends too early");
    check(output.size() <= length, "nothing past the announced length");
  }
  return 0;
}
