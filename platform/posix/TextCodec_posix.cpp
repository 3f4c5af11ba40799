// Code page 932 <-> UTF-8 conversion on glibc's iconv.
#include "platform/posix/TextCodec_posix.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>

namespace platform::posix {
namespace {

constexpr const char* kReplacementUtf8 = "\xEF\xBF\xBD";

bool isCp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isCp932Trail(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// Length of the CP932 character the conversion stopped at: a lead byte takes its trail byte
// with it only when that is a valid trail byte.
size_t cp932BadLength(const char* p, size_t left) {
  const auto b = static_cast<unsigned char>(p[0]);
  if (isCp932Lead(b) && left >= 2 && isCp932Trail(static_cast<unsigned char>(p[1]))) return 2;
  return 1;
}

// Length of the UTF-8 sequence the conversion stopped at: a lead byte with the continuation
// bytes it calls for (or as many of them as follow it) is skipped whole, so one unencodable or
// cut-off character gives one '?'.
size_t utf8BadLength(const char* p, size_t left) {
  const auto b = static_cast<unsigned char>(p[0]);
  size_t want = 1;
  if (b >= 0xC2 && b <= 0xDF) {
    want = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    want = 3;
  } else if (b >= 0xF0 && b <= 0xF4) {
    want = 4;
  }
  size_t length = 1;
  while (length < want && length < left && (static_cast<unsigned char>(p[length]) & 0xC0) == 0x80) {
    ++length;
  }
  return length;
}

struct Direction {
  const char* to;
  const char* from;
  const char* replacement;
  size_t (*badLength)(const char*, size_t);
};

constexpr Direction kToCp932{"CP932", "UTF-8", "?", utf8BadLength};
constexpr Direction kFromCp932{"UTF-8", "CP932", kReplacementUtf8, cp932BadLength};

// Without a converter: ASCII passes, every other character is replaced.
std::string convertAsciiOnly(const Direction& d, const std::string& text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      out += text[i++];
    } else {
      out += d.replacement;
      i += d.badLength(text.data() + i, text.size() - i);
    }
  }
  return out;
}

std::string convert(const Direction& d, const std::string& text) {
  if (text.empty()) return {};
  iconv_t cd = ::iconv_open(d.to, d.from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return convertAsciiOnly(d, text);

  std::string out;
  // Room for the usual growth (CP932 pair -> three UTF-8 bytes); grows if ever short.
  std::string buffer(text.size() * 2 + 16, '\0');
  char* src = const_cast<char*>(text.data());
  size_t left = text.size();
  while (left > 0) {
    char* dst = buffer.data();
    size_t room = buffer.size();
    const size_t result = ::iconv(cd, &src, &left, &dst, &room);
    const int error = errno;
    out.append(buffer.data(), static_cast<size_t>(dst - buffer.data()));
    if (result != static_cast<size_t>(-1)) break;
    if (error == E2BIG) {
      if (dst == buffer.data()) buffer.resize(buffer.size() * 2);
      continue;
    }
    // EILSEQ, EINVAL (cut off at the end) or anything unexpected: replace and step over, so
    // every turn of the loop consumes input.
    const size_t skip = d.badLength(src, left);
    out += d.replacement;
    src += skip;
    left -= skip;
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
  }
  ::iconv_close(cd);
  return out;
}

}  // namespace

std::string IconvTextCodec::toCp932(const std::string& utf8) { return convert(kToCp932, utf8); }

std::string IconvTextCodec::fromCp932(const std::string& bytes) {
  return convert(kFromCp932, bytes);
}

}  // namespace platform::posix
