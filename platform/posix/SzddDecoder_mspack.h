// libmspack's SZDD decoder run over open file descriptors, with the length check it lacks.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Status.h"

namespace platform::posix {

// Decodes the SZDD file open as `input` (read from offset 0) into `output`, writing at most
// `length` bytes (the length its header announces; anything decoded past it is dropped).
// Fails with 13 when the stream is damaged or ends short of `length`, 8 when memory runs out,
// 30 on a read error, and the write error's code (5, 29, 112) when the output, the file beside
// the native path `target`, cannot be written.
Status decodeSzdd(int input, int output, uint32_t length, const std::string& target);

}  // namespace platform::posix
