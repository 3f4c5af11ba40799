// The extract command on native paths: check the whole archive, then write its members.
#pragma once

#include <string>

#include "unlha32/MemberName.h"

namespace unlha {

struct Outcome {
  int result = 0;      // 0 or the first error (UNLHA_ERROR_*)
  std::string report;  // UTF-8 lines ending in CR LF, the summary first
};

// Reads the archive once, checking every header, the data of every member (length and CRC)
// and its clean end while the data waits in a staging folder inside the destination; when any
// of that fails nothing is left behind. Otherwise moves every
// member beneath the destination folder (made when missing) with its stored folder names;
// a member whose name is refused (see checkMemberPath), a symbolic-link member, or one that
// cannot be written is left out and reported, the others are still written.
Outcome extractArchive(const std::string& nativeArchive, const std::string& nativeDestination,
                       const Cp932Decoder& decode);

// 0 when the archive's headers are sound and it ends cleanly, and with fullCrc also every
// member's data passes; else the error as extractArchive would report it.
int checkArchive(const std::string& nativeArchive, bool fullCrc);

// A short English text for a result code.
const char* errorText(int code);

}  // namespace unlha
