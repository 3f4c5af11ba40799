// CRC-16 of member data, checked by us rather than trusted to the decoder.
#include "unlha32/Crc16.h"

#include <array>

namespace unlha {
namespace {

constexpr std::array<uint16_t, 256> makeTable() {
  std::array<uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned v = i;
    for (int bit = 0; bit < 8; ++bit) v = (v & 1) ? (v >> 1) ^ 0xA001u : v >> 1;
    table[i] = static_cast<uint16_t>(v);
  }
  return table;
}

constexpr auto kTable = makeTable();

}  // namespace

uint16_t crc16(uint16_t crc, const void* data, size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) {
    crc = static_cast<uint16_t>((crc >> 8) ^ kTable[(crc ^ p[i]) & 0xFF]);
  }
  return crc;
}

}  // namespace unlha
