// The report text handed back in the caller's output buffer.
#pragma once

#include <string_view>

namespace unlha {

// Copies CP932 text into output: at most size bytes including the terminating NUL, cut
// before a double-byte character that would not fit whole. Nothing is written when size is 0
// or output is null.
void putOutput(std::string_view cp932, char* output, unsigned size);

}  // namespace unlha
