// Conversion between the program's UTF-8 text and code page 932 bytes.
#pragma once

#include <string>

namespace platform {

class TextCodec {
 public:
  virtual ~TextCodec() = default;
  // Characters that CP932 lacks become '?'.
  virtual std::string toCp932(const std::string& utf8) = 0;
  // Bytes that are not valid CP932 become U+FFFD.
  virtual std::string fromCp932(const std::string& bytes) = 0;
};

}  // namespace platform
