// One download pass: builds the list from the ticked standards and fetches it file by file.
#include "download/DownloadPass.h"

#include <optional>

#include "app/Dialogs.h"
#include "app/Errors.h"
#include "app/MainForm.h"
#include "download/PassRelease.h"
#include "download/RunMarkers.h"

using platform::Control;

namespace download {

namespace {

// Returns the window to idle however the pass ends.
class PassGuard {
 public:
  explicit PassGuard(platform::View& view) : m_view(view) {}
  ~PassGuard() {
    // Both buttons share one place: the start button never shows with the cancel button.
    m_view.setVisible(Control::CancelButton, false);
    m_view.setVisible(Control::DownLoadButton, true);
    m_view.setWindowEnabled(true);
  }
  PassGuard(const PassGuard&) = delete;
  PassGuard& operator=(const PassGuard&) = delete;

 private:
  platform::View& m_view;
};

// Hands the pass's judge to its component for the pass only: the next pass, or a program
// without a key, fetches unjudged.
class JudgeGuard {
 public:
  JudgeGuard(platform::HttpTransfer& http, platform::BodyJudge* judge) : m_http(http) {
    m_http.setBodyJudge(judge);
  }
  ~JudgeGuard() { m_http.setBodyJudge(nullptr); }
  JudgeGuard(const JudgeGuard&) = delete;
  JudgeGuard& operator=(const JudgeGuard&) = delete;

 private:
  platform::HttpTransfer& m_http;
};

}  // namespace

bool runPass(TMainForm& form, const PassPlan& plan) {
  auto& view = form.view();
  if (form.CancelAllowed) {
    view.setVisible(Control::CancelButton, true);
    view.setVisible(Control::DownLoadButton, false);
  } else {
    view.setVisible(Control::CancelButton, false);
    view.setVisible(Control::DownLoadButton, false);
    view.setWindowEnabled(false);
  }
  PassGuard guard(view);
  view.setEnabled(Control::CheckListBox1, false);

  auto& list = *form.WorkList;
  list.clear();
  list.insert(list.end(), plan.common.begin(), plan.common.end());
  for (size_t item = 0; item < plan.rows.size() && item < static_cast<size_t>(view.itemCount());
       ++item) {
    if (!view.isChecked(static_cast<int>(item))) continue;
    for (std::string_view name : plan.rows[item]) {
      if (name.empty()) break;
      list.emplace_back(name);
    }
  }
  if (list.size() == plan.common.size()) {
    app::showInformation(view, "基準が選択されていません");
    view.setEnabled(Control::CheckListBox1, true);
    return false;
  }

  form.CurrentItem = 0;
  // A program built with a publisher's key fetches nothing the pass's signed list does not
  // vouch for; a refused list stops the pass as a failed fetch does.
  std::optional<PassRelease> release;
  if (platform::ReleaseCrypto* crypto = form.services().release) {
    release.emplace(form, plan, *crypto);
    if (!release->fetchList() && form.closed()) return false;
  }
  // Each file is checked as it arrives, before the component keeps it; the judge goes with the
  // pass's list.
  JudgeGuard judging(*plan.component, release ? &release->judge() : nullptr);
  for (size_t i = 0; form.WorkList && i < form.WorkList->size(); ++i) {
    if (form.CancelRequested) {
      view.setVisible(Control::CancelButton, false);
      view.setVisible(Control::DownLoadButton, true);
      break;
    }
    const std::string name = (*form.WorkList)[i];
    form.CurrentItem = static_cast<int32_t>(i + 1);
    auto& http = *plan.component;
    http.ResetTransfer();
    http.ProxyServer(form.ProxyIP);
    http.ProxyPort(form.ProxyPortNo);
    form.ContentLength = 2147483647.0;
    http.LocalFile(form.WorkPath + name);
    if (release) release->expect(name);
    try {
      http.FetchURL(plan.baseAddress + name);
    } catch (const std::exception& e) {
      if (release && release->refused()) {
        // A file the list does not vouch for stops the pass with the list's box, not the
        // transfer's, before the expansion.
        if (!form.CancelRequested && !form.closed()) release->refuseFetched(i, name);
      } else if (!form.CancelRequested) {
        form.CancelRequested = true;
        std::string number = std::to_string(i + 1);
        app::showError(
            view, form.FirstPass
                      ? "通信エラーが発生しました[" + number + "]\r\r" + e.what()
                      : "通信エラーが発生しました[" + number + "]\r" + name + "\r\r" + e.what());
      }
    }
    view.setProgress(0);
    view.setCaption(Control::ProgressLabel, "");
    view.processMessages();
    // A window closed meanwhile has released the list: nothing more is fetched or installed.
    if (form.closed()) return false;
    if (!form.CancelRequested && form.TransferDone) {
      // Pass (1) puts the new program in place among its first steps: while it installs, a
      // marker makes the next press run it again whatever the program's version then says.
      const std::string marker = form.InstallPath + kPassOneMarker;
      if (form.FirstPass && !form.services().files.replaceFileAtomically(marker, "")) {
        app::showError(view, cannotCreateFileText(marker));
        return false;
      }
      form.Unpress();
      if (form.closed()) return false;
      // A marker that stays only makes the next press run pass (1) once more.
      if (form.FirstPass) (void)form.services().files.deleteFile(marker);
    }
    if (form.closed()) return false;
  }
  if (!form.FirstPass) form.CancelRequested = false;
  view.setEnabled(Control::CheckListBox1, true);
  return true;
}

}  // namespace download
