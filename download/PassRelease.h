// The checks of one pass against its signed list, in a program built with a publisher's key.
#pragma once

#include <string>

#include "download/DownloadPass.h"
#include "download/ReleaseFileJudge.h"
#include "download/ReleaseList.h"

class TMainForm;

namespace download {

class PassRelease {
 public:
  PassRelease(TMainForm& form, const PassPlan& plan, platform::ReleaseCrypto& crypto);

  // Fetches the pass's list and checks it. False when the pass must stop: after a box, or
  // without one when the user cancelled or closed the window meanwhile.
  bool fetchList();
  // The judge the pass's component checks each file with as it arrives; valid while this is.
  platform::BodyJudge& judge() { return m_judge; }
  // The file of the work list the next fetch brings.
  void expect(const std::string& name);
  // True after a fetch failed because the judge refused its file, not because of the transfer.
  bool refused() const { return m_judge.refused() != ReleaseFault::kNone; }
  // Stops the pass with the box that names the refused file, at a position of the work list
  // (from 0).
  void refuseFetched(size_t position, const std::string& name);

 private:
  // Stops the pass with the box that names the file and the fault.
  void refuse(size_t number, const std::string& name, const std::string& reason);

  TMainForm& m_form;
  const PassPlan& m_plan;
  platform::ReleaseCrypto& m_crypto;
  ReleaseList m_list;
  ReleaseFileJudge m_judge{m_list, m_crypto};
};

// The pass folder a base address ends in: "v128" of ".../brevan/v128/".
std::string passFolderName(const std::string& baseAddress);

}  // namespace download
