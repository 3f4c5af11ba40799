// TEMPORARY: the POSIX backend's CP932 codec, or a stand-in until that lands.
#pragma once

#if __has_include("platform/posix/TextCodec_posix.h")
#include "platform/posix/TextCodec_posix.h"
#else
#include <iconv.h>

#include <string>

#include "platform/TextCodec.h"

namespace platform::posix {

class IconvTextCodec : public platform::TextCodec {
 public:
  std::string toCp932(const std::string& utf8) override { return convert("CP932", "UTF-8", utf8); }
  std::string fromCp932(const std::string& bytes) override {
    return convert("UTF-8", "CP932", bytes);
  }

 private:
  static std::string convert(const char* to, const char* from, const std::string& text) {
    iconv_t cd = iconv_open(to, from);
    std::string out;
    char buf[256];
    char* src = const_cast<char*>(text.data());
    size_t left = text.size();
    while (left > 0) {
      char* dst = buf;
      size_t room = sizeof buf;
      const size_t r = iconv(cd, &src, &left, &dst, &room);
      out.append(buf, static_cast<size_t>(dst - buf));
      if (r == static_cast<size_t>(-1) && errno != E2BIG) {
        out += (to[0] == 'U') ? "\xEF\xBF\xBD" : "?";
        ++src;
        --left;
      }
    }
    iconv_close(cd);
    return out;
  }
};

}  // namespace platform::posix
#endif
