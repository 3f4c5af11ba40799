// Expansion of Microsoft compress (SZDD) files on Linux, with libmspack's decoder.
#pragma once

#include <string>

#include "platform/LzExpand.h"
#include "platform/Status.h"
#include "platform/posix/MachineFolder.h"

namespace platform::posix {

// Expands as the Windows LZ functions do: a file with the SZDD signature yields its
// uncompressed bytes, any other file (also the QBasic variant, which those functions do not
// read) is copied unchanged. The target is written beside itself and renamed into place, so it
// is never left half written and may even be the source itself.
// Fails, recording the code in LastError, with:
//   2/3  source (or a folder on the way) missing; 3 also for a path off every drive;
//   5    source is a folder, or target is a folder or read-only (enforced for root too);
//   13   a damaged SZDD file: header cut short, unknown method, or a stream that ends before
//        the length in its header (output past that length is cut off at it);
//   29/30/112  write fault, read fault, disk full.
// After a failure the target does not exist, unless it is read-only or a folder (then it is
// untouched) or is the source itself; so a failed expansion never leaves a copy that looks good.
class MspackLzExpand : public LzExpand {
 public:
  MspackLzExpand(const MachineFolder& machine, LastError& lastError);
  Status expand(const std::string& source, const std::string& target) override;

 private:
  Status expandNative(const std::string& source, const std::string& target);

  const MachineFolder& m_machine;
  LastError& m_lastError;
};

}  // namespace platform::posix
