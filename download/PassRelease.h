// The checks of one pass against its signed list, in a program built with a publisher's key.
#pragma once

#include <string>

#include "download/DownloadPass.h"
#include "download/ReleaseList.h"

class TMainForm;

namespace download {

class PassRelease {
 public:
  PassRelease(TMainForm& form, const PassPlan& plan, platform::ReleaseCrypto& crypto);

  // Fetches the pass's list and checks it. False when the pass must stop: after a box, or
  // without one when the user cancelled or closed the window meanwhile.
  bool fetchList();
  // Checks the file that arrived for a position of the work list (from 0) before it counts
  // as fetched; false, after its box and with the pass stopped, when it differs.
  bool checkArrived(size_t position, const std::string& name);

 private:
  // Stops the pass with the box that names the file and the fault.
  void refuse(size_t number, const std::string& name, const std::string& reason);

  TMainForm& m_form;
  const PassPlan& m_plan;
  platform::ReleaseCrypto& m_crypto;
  ReleaseList m_list;
};

// The pass folder a base address ends in: "v128" of ".../brevan/v128/".
std::string passFolderName(const std::string& baseAddress);

}  // namespace download
