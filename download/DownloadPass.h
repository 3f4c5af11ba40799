// One download pass of the sequence.
#pragma once

#include <span>
#include <string_view>

#include "platform/HttpTransfer.h"

class TMainForm;

namespace download {

// The pass's component, tables and base address.
struct PassPlan {
  platform::HttpTransfer* component;
  std::span<const std::string_view> common;
  // Plug-in files by list item; a row ends at its first empty cell.
  std::span<const std::span<const std::string_view>> rows;
  const char* baseAddress;
};

// Fetches every file of the pass's list, then hands over to the expansion run. Returns false
// when the whole sequence must end: no standard added a file, or the window was closed.
bool runPass(TMainForm& form, const PassPlan& plan);

}  // namespace download
