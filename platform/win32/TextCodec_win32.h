// Code page 932 <-> UTF-8 conversion on the Windows code page 932 tables.
#pragma once

#include <string>

#include "platform/TextCodec.h"

namespace platform::win32 {

// Converts with code page 932 itself, never the system's ANSI code page, so the result is the
// same on every Windows language. A character CP932 lacks becomes '?' (no best-fit
// look-alikes). Never throws.
class Cp932Codec final : public TextCodec {
 public:
  std::string toCp932(const std::string& utf8) override;
  std::string fromCp932(const std::string& bytes) override;
};

}  // namespace platform::win32
