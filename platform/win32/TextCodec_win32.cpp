// Code page 932 <-> UTF-8 conversion on the Windows code page 932 tables.
#include "platform/win32/TextCodec_win32.h"

#include <windows.h>

#include <string_view>

#include "platform/win32/WideText.h"

namespace platform::win32 {
namespace {

constexpr UINT kCp932 = 932;
// Runs are converted in pieces the conversion functions' int counts can hold.
constexpr size_t kPiece = 1 << 20;

bool isCp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isCp932Trail(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 character at p (no overlongs, surrogates or values past
// U+10FFFF), or 0.
size_t utf8CharLength(const unsigned char* p, size_t left) {
  const unsigned char b = p[0];
  if (b < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (b >= 0xC2 && b <= 0xDF) {
    length = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3;
    if (b == 0xE0) low = 0xA0;
    if (b == 0xED) high = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4;
    if (b == 0xF0) low = 0x90;
    if (b == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (left < length || p[1] < low || p[1] > high) return 0;
  for (size_t k = 2; k < length; ++k) {
    if (!isContinuation(p[k])) return 0;
  }
  return length;
}

// Bytes to step over at a UTF-8 fault: a lead byte with the continuation bytes that follow it
// (up to the number it calls for), so one broken character gives one '?'.
size_t utf8BadLength(const unsigned char* p, size_t left) {
  const unsigned char b = p[0];
  const size_t want = (b >= 0xC2 && b <= 0xDF)   ? 2
                      : (b >= 0xE0 && b <= 0xEF) ? 3
                      : (b >= 0xF0 && b <= 0xF4) ? 4
                                                 : 1;
  size_t length = 1;
  while (length < want && length < left && isContinuation(p[length])) ++length;
  return length;
}

// Length of the CP932 character at p by the byte classes alone, or 0 for a byte that starts
// no character (0x80, 0xA0, 0xFD-0xFF, a lead byte without a trail byte).
size_t cp932CharLength(const unsigned char* p, size_t left) {
  const unsigned char b = p[0];
  if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) return 1;
  if (isCp932Lead(b) && left >= 2 && isCp932Trail(p[1])) return 2;
  return 0;
}

// UTF-16 to CP932 with '?' for what CP932 lacks; a character outside the BMP is one '?'.
void appendCp932(std::wstring& wide, std::string& out) {
  std::wstring::size_type write = 0;
  for (std::wstring::size_type read = 0; read < wide.size(); ++read) {
    const bool pair = wide[read] >= 0xD800 && wide[read] <= 0xDBFF && read + 1 < wide.size();
    wide[write++] = pair ? L'?' : wide[read];
    if (pair) ++read;
  }
  wide.resize(write);
  if (wide.empty()) return;
  const int length = static_cast<int>(wide.size());
  const int need = ::WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr,
                                         0, "?", nullptr);
  const size_t at = out.size();
  out.resize(at + static_cast<size_t>(need));
  ::WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), length, out.data() + at, need,
                        "?", nullptr);
}

// CP932 characters to UTF-16; false when one of them maps to nothing.
bool appendUtf16(const char* bytes, size_t size, std::wstring& out) {
  const int length = static_cast<int>(size);
  const int need = ::MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, bytes, length, nullptr, 0);
  if (need <= 0) return false;
  const size_t at = out.size();
  out.resize(at + static_cast<size_t>(need));
  ::MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, bytes, length, out.data() + at, need);
  return true;
}

// A run of CP932 characters, whole when every one maps, else one at a time with U+FFFD for
// those that do not.
void appendRun(const unsigned char* p, size_t size, std::wstring& out) {
  const auto* bytes = reinterpret_cast<const char*>(p);
  if (appendUtf16(bytes, size, out)) return;
  for (size_t i = 0; i < size;) {
    const size_t length = cp932CharLength(p + i, size - i);
    if (!appendUtf16(bytes + i, length, out)) out += L'\xFFFD';
    i += length;
  }
}

}  // namespace

std::string Cp932Codec::toCp932(const std::string& utf8) {
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const size_t size = utf8.size();
  std::string out;
  size_t i = 0;
  while (i < size) {
    size_t end = i;
    size_t length = 0;
    while (end < size && end - i < kPiece && (length = utf8CharLength(p + end, size - end)) > 0) {
      end += length;
    }
    if (end > i) {
      std::wstring wide = widen(std::string_view(utf8).substr(i, end - i));
      appendCp932(wide, out);
      i = end;
    } else {
      out += '?';
      i += utf8BadLength(p + i, size - i);
    }
  }
  return out;
}

std::string Cp932Codec::fromCp932(const std::string& bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t size = bytes.size();
  std::string out;
  std::wstring wide;
  size_t i = 0;
  while (i < size) {
    size_t end = i;
    size_t length = 0;
    while (end < size && end - i < kPiece && (length = cp932CharLength(p + end, size - end)) > 0) {
      end += length;
    }
    if (end > i) {
      appendRun(p + i, end - i, wide);
      i = end;
    } else {
      wide += L'\xFFFD';
      ++i;
    }
    if (wide.size() >= kPiece) {
      out += narrow(wide);
      wide.clear();
    }
  }
  return out + narrow(wide);
}

}  // namespace platform::win32
