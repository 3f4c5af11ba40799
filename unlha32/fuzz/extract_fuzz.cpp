// Fuzzes a whole extraction: any bytes as the archive, extracted into a scratch folder; nothing
// may appear outside the destination and no symbolic link inside it.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/posix/TextCodec_posix.h"
#include "unlha32/Extraction.h"

namespace fs = std::filesystem;

namespace {

const fs::path& sandbox() {
  static const fs::path path = [] {
    fs::path p = fs::temp_directory_path() / ("unlha32-fuzz-" + std::to_string(getpid()));
    fs::create_directories(p);
    return p;
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static platform::posix::IconvTextCodec codec;
  const fs::path archive = sandbox() / "archive.lzh";
  // Deep enough that a way up by "..", one to three levels, still lands in the sandbox.
  const fs::path dest = sandbox() / "one" / "two" / "dest";
  {
    std::ofstream out(archive, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  unlha::extractArchive(archive.string(), dest.string() + "/",
                        [](std::string_view b) { return codec.fromCp932(std::string(b)); });
  const std::string inside = dest.string() + "/";
  for (const auto& entry : fs::recursive_directory_iterator(sandbox())) {
    const fs::path& p = entry.path();
    const bool expected = p == archive || p == sandbox() / "one" ||
                          p == sandbox() / "one" / "two" || p == dest ||
                          p.string().rfind(inside, 0) == 0;
    if (!expected || entry.is_symlink()) std::abort();
  }
  fs::remove_all(dest);
  return 0;
}
