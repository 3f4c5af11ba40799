// The library on Windows: paths are the system's own, CP932 goes through code page 932.
#include "platform/win32/TextCodec_win32.h"
#include "unlha32/Host.h"

namespace unlha {

std::unique_ptr<platform::TextCodec> makeCp932Codec() {
  return std::make_unique<platform::win32::Cp932Codec>();
}

std::optional<std::string> nativePathOf(const std::string& path) {
  if (path.empty()) return std::nullopt;
  return path;
}

}  // namespace unlha
