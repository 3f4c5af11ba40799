// The extract command on native paths: check the whole archive, then write its members.
#pragma once

#include <string>

#include "unlha32/MemberName.h"

namespace unlha {

struct Outcome {
  int result = 0;      // 0 or the first error (UNLHA_ERROR_*)
  std::string report;  // UTF-8 lines ending in CR LF, the summary first
};

// Reads the headers first: an archive whose members announce sizes out of all proportion to
// their packed sizes, or more than the destination's drive has free (less a reserve), or whose
// headers are damaged, is refused before anything is written. Then decodes every member into a
// staging folder inside the destination, checking its length (stopped as soon as the data runs
// past it) and CRC and the archive's clean end; members are moved beneath the destination
// (made when missing) with their stored folder names when the whole archive has checked out,
// or, once more than 256 MB wait, as soon as each checks out. A damaged archive leaves nothing
// behind unless members had already been placed that way. A member whose name is refused (see
// checkMemberPath), a symbolic-link member, or one that cannot be written is left out and
// reported, the others are still written.
Outcome extractArchive(const std::string& nativeArchive, const std::string& nativeDestination,
                       const Cp932Decoder& decode);

// 0 when the archive's headers are sound and it ends cleanly, and with fullCrc also every
// member's data passes; else the error as extractArchive would report it.
int checkArchive(const std::string& nativeArchive, bool fullCrc);

// A short English text for a result code.
const char* errorText(int code);

}  // namespace unlha
