// The signed list of a release pass: its format, and the checks the program makes with it.
//
// The list is CP932 text, lines ending in "\n", exactly:
//   BREVAN RELEASE LIST 1
//   version v2.5.3.0
//   pass 20251299
//   file <size> <SHA-256, 64 lower-case hex digits> <name as the server knows it>
//   ... one line per file, names in ascending byte order (so none twice)
//   signature <r and s of the ECDSA P-256 signature, 128 lower-case hex digits>
// The signature covers every byte before its line. Nothing may follow its line.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ReleaseCrypto.h"

namespace download {

// The list's name in each pass folder of the server.
inline constexpr const char* kReleaseListName = "RELEASE.LST";
// Bounds that no real release comes near: larger lists are refused unread.
inline constexpr uint64_t kMaxListBytes = 1 << 20;
inline constexpr size_t kMaxListFiles = 4096;
inline constexpr uint64_t kMaxListedFileSize = 2147483647;

// Why a list or a file is refused.
enum class ReleaseFault {
  kNone,
  kListMissing,     // the list could not be fetched or read
  kListMalformed,   // not a list of this format, or beyond its bounds
  kBadSignature,    // not signed by the publisher's key
  kOtherVersion,    // the list of another release
  kOtherPass,       // the list of the other pass folder
  kNotListed,       // a file the list does not name
  kOtherSize,       // a file whose size differs from the list
  kOtherContent,    // a file whose SHA-256 differs from the list
  kFileUnreadable,  // a file that cannot be read, or whose digest cannot be made
};

// The reason the program shows for a fault.
const char* releaseFaultText(ReleaseFault fault);

struct ReleaseFile {
  uint64_t size = 0;
  platform::Sha256 digest{};
};

struct ReleaseList {
  std::string version;
  std::string pass;
  std::map<std::string, ReleaseFile> files;  // by CP932 name, byte for byte
};

// The list without its signature line, as it is signed. Names are CP932 bytes.
std::string releaseListBody(const ReleaseList& list);
// The signature line that ends a list.
std::string releaseSignatureLine(const platform::ReleaseSignature& signature);

// Reads a whole list and checks its signature, then its version and pass; the list is stored
// in `out` only when every check passes.
ReleaseFault checkReleaseList(std::string_view bytes, platform::ReleaseCrypto& crypto,
                              std::string_view version, std::string_view pass, ReleaseList& out);

// Lower-case hex of bytes, and back; nullopt unless exactly two lower-case digits a byte.
std::string hexText(const uint8_t* bytes, size_t size);
std::optional<std::string> hexBytes(std::string_view text);

}  // namespace download
