// DownLoadButtonClick: the two-folder layout, the decision on pass (1), and the passes' fetches.
#include "app/Dialogs.h"
#include "app/MainForm.h"
#include "app/TextRules.h"
#include "app/Versions.h"
#include "download/DownloadPass.h"
#include "download/FileTables.h"
#include "download/FolderOperations.h"
#include "download/Leftovers.h"
#include "download/Restructuring.h"
#include "download/RunMarkers.h"

using platform::Control;

namespace {

// Marks the window busy for as long as the sequence runs.
class RunningFlag {
 public:
  explicit RunningFlag(bool& flag) : m_flag(flag) { m_flag = true; }
  ~RunningFlag() { m_flag = false; }
  RunningFlag(const RunningFlag&) = delete;
  RunningFlag& operator=(const RunningFlag&) = delete;

 private:
  bool& m_flag;
};

}  // namespace

void TMainForm::DownLoadButtonClick() {
  if (m_running) return;
  RunningFlag running(m_running);
  auto& files = m_services.files;

  // 1, 2.
  CancelRequested = false;
  InstallPath = InstallRoot;
  CancelAllowed = true;
  // A drive root or the Windows folder would be moved whole into OLD_BIN: refused before
  // anything is touched.
  if (!download::UpdatableFolder(files, app::GetWindowsDir(m_services), InstallPath)) {
    app::showError(m_view, "インストール先フォルダ \"" + InstallPath + "\" は更新できません。");
    return;
  }
  // A folder the user may not write (Program Files for a standard user) would be left half
  // moved: said plainly, with the way out, before anything is touched.
  if (!files.probeWritable(InstallPath)) {
    app::showError(m_view, "インストール先フォルダ \"" + InstallPath +
                               "\" に書き込めません。管理者として実行してください。");
    return;
  }
  ClearReadOnly(app::withBackslash(InstallPath));

  // Leftovers of a run that was cut off go first: they are not entries to move or install.
  download::RemoveLeftovers(files, InstallPath, IniFileName, app::GetTempDir(m_services));

  // 3. The first run moves the installation into OLD_BIN and prepares NEW_BIN beside it; a
  // first run that was cut off is finished the same way.
  if (download::layoutState(files, app::withBackslash(InstallPath)) !=
      download::LayoutState::kDone) {
    CancelAllowed = false;
    if (!download::Restructure(*this, app::withBackslash(InstallPath))) return;
  }

  // 4, 5. Pass (1) only for an old program: versions compare as text, byte by byte.
  TransferDone = false;
  FirstPass = true;
  InstallPath = app::withBackslash(InstallPath) + "OLD_BIN\\";
  WorkPath = app::GetTempDir(m_services) + "BrvOldUp\\";
  (void)files.createFolders(WorkPath);
  // A pass (1) that was cut off while it installed runs again whatever the version now says.
  if (!files.exists(InstallPath + download::kPassOneMarker) &&
      app::FileVersionText(m_services, InstallPath + "pictdesk.exe") >= "v1.2.9") {
    CancelAllowed = true;
  } else {
    download::PassPlan plan{ipwHTTP2.get(), download::CommonFiles1, download::StandardRows1,
                            download::kBaseAddress1};
    if (!download::runPass(*this, plan)) return;
  }

  // 6. A cancel, a failed fetch or a closed window ends the sequence before pass (2).
  if (CancelRequested || m_closed) return;

  // 7, 8.
  FirstPass = false;
  TransferDone = false;
  InstallPath = download::FullFolderPath(files, InstallPath + "..\\New_BIN\\");
  WorkPath = app::GetTempDir(m_services) + "BrvNewUp\\";
  (void)files.createFolders(WorkPath);
  download::PassPlan plan{ipwHTTP.get(), download::CommonFiles2, download::StandardRows2,
                          download::kBaseAddress2};
  download::runPass(*this, plan);
}
