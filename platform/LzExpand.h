// Expansion of files in the Microsoft compress format (SZDD), as the LZ functions do it.
#pragma once

#include <string>

#include "platform/Status.h"

namespace platform {

class LzExpand {
 public:
  virtual ~LzExpand() = default;
  // Expands a compressed file into the target (created or replaced); a source that is not in
  // the format is copied unchanged. A stream shorter than its header announces is a failure.
  virtual Status expand(const std::string& source, const std::string& target) = 0;
};

}  // namespace platform
