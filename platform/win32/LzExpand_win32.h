// Expansion of Microsoft compress (SZDD) files with the system's LZ functions.
#pragma once

#include <string>

#include "platform/LzExpand.h"
#include "platform/Status.h"

namespace platform::win32 {

// LZInit and LZCopy expand into a file written beside the target and renamed into place, so
// the target is never left half written and may even be the source itself. The files are
// opened with CreateFileW and handed to the LZ functions, whose own open call takes only short
// paths in the system code page. A file with the SZDD signature yields its uncompressed bytes,
// any other file is copied unchanged. The LZ functions report success on a stream that ends
// early, so the length written is checked against the length in the header.
// Fails, recording the code in LastError, with:
//   2/3  source (or a folder on the way) missing;
//   5    source is a folder, or target is a folder or read-only;
//   13   a damaged SZDD file: header cut short, unknown method, or a stream that ends before
//        the length in its header (output past that length is cut off at it);
//   29/30/112  write fault, read fault, disk full.
// After a failure the target does not exist, unless it is read-only or a folder (then it is
// untouched) or is the source itself; so a failed expansion never leaves a copy that looks good.
class Win32LzExpand final : public LzExpand {
 public:
  explicit Win32LzExpand(LastError& lastError);
  Status expand(const std::string& source, const std::string& target) override;

 private:
  LastError& m_lastError;
};

}  // namespace platform::win32
