// UTF-8 to code page 932 on glibc's iconv.
#include "tools/sample-release/Cp932.h"

#include <iconv.h>

#include <stdexcept>

namespace sample {

std::string toCp932(const std::string& utf8) {
  iconv_t cd = ::iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv has no CP932");
  std::string out(utf8.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* to = out.data();
  size_t toLeft = out.size();
  const size_t done = ::iconv(cd, &in, &inLeft, &to, &toLeft);
  ::iconv_close(cd);
  if (done == static_cast<size_t>(-1)) throw std::runtime_error("not CP932 text: " + utf8);
  out.resize(out.size() - toLeft);
  return out;
}

}  // namespace sample
