// Fuzzing of the signed release list, its signature taken as good: a list is accepted only in
// its one exact form (written again, it gives back the same bytes), and the bounds hold.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "download/ReleaseList.h"

namespace {

void check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
  }
}

// Every signature verifies: what is fuzzed is the form behind it.
class AnySignature final : public platform::ReleaseCrypto {
 public:
  bool verify(std::string_view, const platform::ReleaseSignature& signature) override {
    last = signature;
    return true;
  }
  std::optional<platform::Sha256> digest(platform::FileReader&) override { return std::nullopt; }
  std::unique_ptr<platform::Sha256Stream> startDigest() override { return nullptr; }
  platform::ReleaseSignature last{};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  AnySignature crypto;
  download::ReleaseList list;
  // The version and pass the input names are taken as the expected ones where it names them.
  const auto fault = download::checkReleaseList(bytes, crypto, "v2.5.3.0", "20251299", list);
  if (fault != download::ReleaseFault::kNone) return 0;
  check(download::releaseListBody(list) + download::releaseSignatureLine(crypto.last) == bytes,
        "an accepted list is its own exact form");
  check(list.files.size() <= download::kMaxListFiles, "no more files than the bound");
  for (const auto& [name, file] : list.files) {
    check(!name.empty() && name.find('\n') == std::string::npos, "names are one line");
    check(file.size <= download::kMaxListedFileSize, "sizes within the bound");
  }
  return 0;
}
