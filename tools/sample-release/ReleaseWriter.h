// Writes the sample release to disk with independent tools: Debian's mscompress for the SZDD
// files and jlha-utils' jlha for the lh5 archives.
#pragma once

#include <string>

namespace sample {

struct ReleaseTools {
  std::string mscompress = "mscompress";  // looked up on PATH unless a path is given
  std::string jlha = "jlha";
};

// Writes <root>/brevan/v128/ and <root>/brevan/20251299/ with every file of both passes, names
// as UTF-8 on disk (as the update mirror serves them). An earlier release in <root>/brevan is
// replaced as a whole. The result is the same, byte for byte and time stamp for time stamp, on
// every run. Throws std::runtime_error when a tool is missing or fails, or a file cannot be
// written; <root>/brevan is then left as it was.
void writeRelease(const std::string& root, const ReleaseTools& tools);

}  // namespace sample
