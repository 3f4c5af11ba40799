// Fuzzes a whole extraction: any bytes as the archive, extracted into a scratch folder; nothing
// may appear outside the destination, no symbolic link inside it, and no more bytes than any
// encoder could have packed into the input.
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
  uint64_t written = 0;
  for (const auto& entry : fs::recursive_directory_iterator(sandbox())) {
    const fs::path& p = entry.path();
    const bool expected = p == archive || p == sandbox() / "one" ||
                          p == sandbox() / "one" / "two" || p == dest ||
                          p.string().rfind(inside, 0) == 0;
    if (!expected || entry.is_symlink()) std::abort();
    if (p != archive && entry.is_regular_file()) written += entry.file_size();
  }
  // No real encoder packs more than 1 : 1,000,000, and a member of 64 KB or less may pack at
  // any ratio; a member takes at least 22 bytes of header. Anything more is a bomb let through.
  const uint64_t bound = uint64_t{size} * 1'000'000 + (size / 22 + 1) * uint64_t{64 * 1024};
  if (written > bound) std::abort();
  fs::remove_all(dest);
  return 0;
}
