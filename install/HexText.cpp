// Hexadecimal text decoded as it comes.
#include "install/HexText.h"

namespace install {
namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

void HexDecoder::pair(char c, std::string& out) {
  if (!m_hasHalf) {
    m_half = c;
    m_hasHalf = true;
    return;
  }
  m_hasHalf = false;
  const int high = hexDigit(m_half);
  const int low = hexDigit(c);
  if (high < 0 || low < 0) {
    m_failed = true;
    m_badPair = {m_half, c};
    return;
  }
  out += static_cast<char>(high << 4 | low);
}

bool HexDecoder::feed(std::string_view text, std::string& out) {
  size_t k = 0;
  while (k < text.size() && !m_failed) {
    // The common case first: whole pairs of digits with nothing pending.
    if (m_blankCount == 0 && !m_hasHalf) {
      while (k + 1 < text.size()) {
        const int high = hexDigit(text[k]);
        const int low = hexDigit(text[k + 1]);
        if (high < 0 || low < 0) break;
        out += static_cast<char>(high << 4 | low);
        k += 2;
        m_started = true;
      }
      if (k == text.size()) break;
    }
    const char c = text[k++];
    if (isBlank(c)) {
      // Blanks count only when another character follows them.
      if (m_started && m_blankCount++ < 2) m_blanks += c;
      continue;
    }
    m_started = true;
    // Any blank inside the text makes a bad pair within its first two characters.
    for (const char blank : m_blanks) {
      if (!m_failed) pair(blank, out);
    }
    m_blanks.clear();
    m_blankCount = 0;
    if (!m_failed) pair(c, out);
  }
  return !m_failed;
}

}  // namespace install
