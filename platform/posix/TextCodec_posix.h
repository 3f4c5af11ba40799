// Code page 932 <-> UTF-8 conversion on glibc's iconv.
#pragma once

#include <string>

#include "platform/TextCodec.h"

namespace platform::posix {

// Converts with glibc's "CP932" table (Microsoft's Shift-JIS, with NEC and IBM extensions).
// Never throws and always ends: a character CP932 lacks, or a byte run that is not UTF-8,
// becomes one '?'; a CP932 byte or byte pair that maps to nothing becomes one U+FFFD, and a
// lead byte without a valid trail byte is replaced alone, so the byte after it (a line end,
// say) survives. Embedded NULs pass through. Each call opens its own converter, so one codec
// may be shared between threads. Should the C library lack the table, ASCII passes and every
// other character is replaced as above.
class IconvTextCodec final : public TextCodec {
 public:
  std::string toCp932(const std::string& utf8) override;
  std::string fromCp932(const std::string& bytes) override;
};

}  // namespace platform::posix
