// Hexadecimal text decoded as it comes, in pieces of any size.
#pragma once

#include <string>
#include <string_view>

namespace install {

// Blanks and control characters before the first and after the last other character are
// dropped; every other pair of characters is one byte, high digit first; a last odd character
// is ignored. Memory does not grow with the text.
class HexDecoder {
 public:
  // Decodes the next characters, appending the bytes to out. False from the first pair that is
  // not two hexadecimal digits on; the rest is then ignored.
  bool feed(std::string_view text, std::string& out);
  bool failed() const { return m_failed; }
  // The first bad pair as written, when failed.
  const std::string& badPair() const { return m_badPair; }

 private:
  void pair(char c, std::string& out);

  bool m_started = false;
  bool m_failed = false;
  char m_half = 0;
  bool m_hasHalf = false;
  std::string m_blanks;  // the first two of the blanks met since the last other character
  size_t m_blankCount = 0;
  std::string m_badPair;
};

}  // namespace install
