// One download pass of the sequence.
#pragma once

#include <cstddef>

#include "platform/HttpTransfer.h"

class TMainForm;

namespace download {

// The pass's component, tables and base address.
struct PassPlan {
  platform::HttpTransfer* component;
  const char* const* common;
  size_t commonCount;
  const char* const* rows;  // 22 rows of rowCells cells; unused cells are null
  size_t rowCells;
  const char* baseAddress;
};

// Fetches every file of the pass's list, then hands over to the expansion run. Returns false
// when the whole sequence must end: no standard added a file, or the window was closed.
bool runPass(TMainForm& form, const PassPlan& plan);

}  // namespace download
