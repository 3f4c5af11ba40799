// Code page 932 <-> UTF-8 conversion on the Windows code page 932 tables.
#pragma once

#include <string>

#include "platform/TextCodec.h"

namespace platform::win32 {

// Converts with code page 932 itself, never the system's ANSI code page, so the result is the
// same on every Windows language. Never throws and always ends: a character CP932 lacks (no
// best-fit look-alikes), or a byte run that is not UTF-8, becomes one '?'; a CP932 byte or byte
// pair that maps to nothing becomes one U+FFFD, and a lead byte without a valid trail byte is
// replaced alone, so the byte after it survives. Embedded NULs pass. Safe to share between threads.
class Cp932Codec final : public TextCodec {
 public:
  std::string toCp932(const std::string& utf8) override;
  std::string fromCp932(const std::string& bytes) override;
};

}  // namespace platform::win32
