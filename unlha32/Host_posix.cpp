// The library on the POSIX machine model: Windows paths of the machine folder, iconv's CP932.
#include "platform/posix/MachineFolder.h"
#include "platform/posix/TextCodec_posix.h"
#include "unlha32/Host.h"

namespace unlha {

std::unique_ptr<platform::TextCodec> makeCp932Codec() {
  return std::make_unique<platform::posix::IconvTextCodec>();
}

// A Windows path of the machine folder ("X:\...") or, for tools and tests, a native absolute
// path ("/..."); nullopt when the path is neither or its drive has no folder.
std::optional<std::string> nativePathOf(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  return platform::posix::MachineFolder(platform::posix::MachineFolder::defaultPrefix())
      .nativePath(path);
}

}  // namespace unlha
