// A member's stored name: read from the raw header bytes, decoded from CP932, checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace unlha {

// The name fields of one header, as stored (CP932 bytes; 0xFF or '\' separate folders).
struct RawName {
  std::string base;     // level 0/1 name field: folders and file name
  std::string extFile;  // extended header 0x01 (file name), empty when absent
  std::string extDir;   // extended header 0x02 (folder path), empty when absent
};

// Reads the name fields from a header's raw bytes (lhasa's raw_data) of the given level.
// Fields that do not fit in the bytes are left empty; never reads outside raw[0, size).
RawName readRawName(const uint8_t* raw, size_t size, int level);

// Converts CP932 bytes to UTF-8.
using Cp932Decoder = std::function<std::string(std::string_view)>;

// The member's path in UTF-8 with '\' between folders, as Windows would read it: 0xFF splits
// before decoding (it is never part of a CP932 character); '\' and '/' split only after
// decoding, so a 0x5C trail byte (as in 表 or ソ) stays part of its character. The extended
// file name replaces the file part of the base name, the extended folder its folder part.
std::string storedPath(const RawName& name, const Cp932Decoder& decode);

struct MemberPath {
  int error = 0;                   // 0, UNLHA_ERROR_UNSAFE_PATH or UNLHA_ERROR_LONG_FILE_NAME
  std::string reason;              // why, when error is set (ASCII)
  std::vector<std::string> parts;  // folder names, then the member's own name
};

// Checks a stored path for writing beneath the destination by the one name rule of update
// data (platform/NameRule.h): absolute paths, drives, "..", forbidden and control characters,
// trailing dots or blanks, device names and over-long names or paths are refused. Empty and
// "." parts are dropped. No parts at all is not an error here.
MemberPath checkMemberPath(std::string_view path);

}  // namespace unlha
