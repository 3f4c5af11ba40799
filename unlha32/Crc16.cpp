// CRC-16 of member data, checked by us rather than trusted to the decoder.
#include "unlha32/Crc16.h"

#include <array>

namespace unlha {
namespace {

// kTables[k][b]: the CRC of byte b followed by k zero bytes, so that eight bytes are folded in
// with eight look-ups and no dependence between them (the check runs over every byte extracted).
using Tables = std::array<std::array<uint16_t, 256>, 8>;

constexpr Tables makeTables() {
  Tables tables{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned v = i;
    for (int bit = 0; bit < 8; ++bit) v = (v & 1) ? (v >> 1) ^ 0xA001u : v >> 1;
    tables[0][i] = static_cast<uint16_t>(v);
  }
  for (size_t k = 1; k < tables.size(); ++k) {
    for (unsigned i = 0; i < 256; ++i) {
      const uint16_t previous = tables[k - 1][i];
      tables[k][i] = static_cast<uint16_t>((previous >> 8) ^ tables[0][previous & 0xFF]);
    }
  }
  return tables;
}

constexpr Tables kTables = makeTables();

}  // namespace

uint16_t crc16(uint16_t crc, const void* data, size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
  for (; size >= 8; size -= 8, p += 8) {
    const unsigned c = crc ^ (p[0] | static_cast<unsigned>(p[1]) << 8);
    crc = static_cast<uint16_t>(kTables[7][c & 0xFF] ^ kTables[6][c >> 8] ^ kTables[5][p[2]] ^
                                kTables[4][p[3]] ^ kTables[3][p[4]] ^ kTables[2][p[5]] ^
                                kTables[1][p[6]] ^ kTables[0][p[7]]);
  }
  for (; size > 0; --size, ++p) {
    crc = static_cast<uint16_t>((crc >> 8) ^ kTables[0][(crc ^ *p) & 0xFF]);
  }
  return crc;
}

}  // namespace unlha
