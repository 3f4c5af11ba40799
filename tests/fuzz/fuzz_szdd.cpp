// Fuzzing of SZDD expansion: any file, expanded in a machine folder of its own, must give an
// exact copy, an output of exactly the announced length, or a failure that leaves no target.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "platform/posix/LzExpand_posix.h"
#include "platform/posix/MachineFolder.h"

namespace {

namespace fs = std::filesystem;

struct Machine {
  Machine() {
    char pattern[] = "/tmp/brevan-fuzz-szdd-XXXXXX";
    if (!::mkdtemp(pattern)) std::abort();
    prefix = pattern;
    work = prefix / "drive_c" / "W";
    fs::create_directories(work);
    folder = std::make_unique<platform::posix::MachineFolder>(prefix.string());
    lz = std::make_unique<platform::posix::MspackLzExpand>(*folder, lastError);
  }
  ~Machine() {
    std::error_code ec;
    fs::remove_all(prefix, ec);
  }
  fs::path prefix;
  fs::path work;
  platform::LastError lastError;
  std::unique_ptr<platform::posix::MachineFolder> folder;
  std::unique_ptr<platform::posix::MspackLzExpand> lz;
};

void check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Machine machine;
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::ofstream(machine.work / "F.EX_", std::ios::binary | std::ios::trunc) << input;

  platform::Status status = machine.lz->expand("C:\\W\\F.EX_", "C:\\W\\F.EXE");

  const fs::path target = machine.work / "F.EXE";
  const bool signature = size >= 8 && std::memcmp(data, "SZDD\x88\xF0\x27\x33", 8) == 0;
  if (!signature) {
    check(status.ok(), "a file without the signature is copied");
    std::ifstream in(target, std::ios::binary);
    std::string copy((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    check(copy == input, "the copy is exact");
  } else if (status.ok()) {
    check(size >= 14 && data[8] == 'A', "only a whole header with method A expands");
    const uint64_t length = static_cast<uint64_t>(data[10]) | static_cast<uint64_t>(data[11]) << 8 |
                            static_cast<uint64_t>(data[12]) << 16 |
                            static_cast<uint64_t>(data[13]) << 24;
    check(fs::file_size(target) == length, "the output has the announced length");
  } else {
    check(!fs::exists(target), "a failed expansion leaves no target");
    check(machine.lastError.get() == status.error, "the failure is recorded");
  }
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(machine.work)) ++entries;
  check(entries == (status.ok() ? 2u : 1u), "no temporary file is left behind");
  std::error_code ec;
  fs::remove(target, ec);
  return 0;
}
