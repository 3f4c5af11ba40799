// The report text handed back in the caller's output buffer.
#include "unlha32/OutputText.h"

#include <cstring>

namespace unlha {
namespace {

bool isLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace

void putOutput(std::string_view cp932, char* output, unsigned size) {
  if (output == nullptr || size == 0) return;
  const size_t room = size - 1;
  size_t length = 0;
  while (length < cp932.size()) {
    const size_t step = isLeadByte(static_cast<unsigned char>(cp932[length])) ? 2 : 1;
    if (length + step > room || length + step > cp932.size()) break;
    length += step;
  }
  std::memcpy(output, cp932.data(), length);
  output[length] = '\0';
}

}  // namespace unlha
