// libmspack's SZDD decoder run over open file descriptors, with the length check it lacks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Status.h"

namespace platform::posix {

// Decodes the SZDD file open as `input` (read from offset 0) into `output`, writing at most
// `length` bytes (the length its header announces; anything decoded past it is dropped).
// Fails with 13 when the stream is damaged or ends short of `length`, 8 when memory runs out,
// 30 on a read error, and the write error's code (5, 29, 112) when the output cannot be written.
Status decodeSzdd(int input, int output, uint32_t length);

// The same from bytes in memory to the end of output, with no file at all; fails as above
// (never with a read or write error).
Status decodeSzdd(std::string_view input, std::string& output, uint32_t length);

}  // namespace platform::posix
