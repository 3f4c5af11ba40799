// CRC-16 as LHA archives use it (reflected polynomial 0xA001, starting at 0).
#pragma once

#include <cstddef>
#include <cstdint>

namespace unlha {

// Continues crc over size bytes; start with 0.
uint16_t crc16(uint16_t crc, const void* data, size_t size);

}  // namespace unlha
