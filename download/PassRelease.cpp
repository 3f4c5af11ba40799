// The checks of one pass against its signed list, in a program built with a publisher's key.
#include "download/PassRelease.h"

#include "app/Dialogs.h"
#include "app/MainForm.h"
#include "app/Versions.h"

namespace download {

std::string passFolderName(const std::string& baseAddress) {
  std::string folder = baseAddress;
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  return folder.substr(folder.rfind('/') + 1);
}

PassRelease::PassRelease(TMainForm& form, const PassPlan& plan, platform::ReleaseCrypto& crypto)
    : m_form(form), m_plan(plan), m_crypto(crypto) {}

void PassRelease::refuse(size_t number, const std::string& name, const std::string& reason) {
  m_form.CancelRequested = true;
  app::showError(m_form.view(), "更新ファイルを確認できません[" + std::to_string(number) + "]\r" +
                                    name + "\r\r" + reason);
}

bool PassRelease::fetchList() {
  // The window's third component carries no events: the list moves neither the progress
  // display nor the flags of the pass's files.
  auto& http = *m_form.ipwHTTP_lha32;
  auto& files = m_form.services().files;
  const std::string path = m_form.WorkPath + kReleaseListName;
  std::string failure;
  try {
    http.ResetTransfer();
    http.ProxyServer(m_form.ProxyIP);
    http.ProxyPort(m_form.ProxyPortNo);
    http.LocalFile(path);
    http.FetchURL(m_plan.baseAddress + std::string(kReleaseListName));
  } catch (const std::exception& e) {
    failure = e.what();
  }
  if (m_form.closed() || m_form.CancelRequested) return false;
  ReleaseFault fault = ReleaseFault::kListMissing;
  if (failure.empty()) {
    auto size = files.fileSize(path);
    auto bytes = size && *size <= kMaxListBytes ? files.readFile(path) : std::nullopt;
    if (size && *size > kMaxListBytes) fault = ReleaseFault::kListMalformed;
    if (bytes) {
      fault = checkReleaseList(*bytes, m_crypto, app::kUpVersion,
                               passFolderName(m_plan.baseAddress), m_list);
    }
  }
  (void)files.deleteFile(path);  // read once; the next run fetches it again
  if (fault == ReleaseFault::kNone) return true;
  std::string reason = releaseFaultText(fault);
  if (!failure.empty()) reason += "\r" + failure;
  refuse(0, kReleaseListName, reason);
  return false;
}

void PassRelease::expect(const std::string& name) {
  m_judge.expect(m_form.services().codec.toCp932(name));
}

void PassRelease::refuseFetched(size_t position, const std::string& name) {
  refuse(position + 1, name, releaseFaultText(m_judge.refused()));
}

}  // namespace download
