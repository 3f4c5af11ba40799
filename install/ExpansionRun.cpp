// Unpress: expands a pass's downloads, installs them step by step, cleans up and finishes.
#include "app/Dialogs.h"
#include "app/MainForm.h"
#include "install/ExpansionSteps.h"
#include "install/ExpansionTexts.h"
#include "install/RestoreExtension.h"

using platform::Control;

namespace {

// The window takes input again and the cursor returns however the run ends.
class BusyWindow {
 public:
  explicit BusyWindow(platform::View& view) : m_view(view) {
    m_view.setVisible(Control::CancelButton, false);
    m_view.setVisible(Control::DownLoadButton, false);
    m_view.setWindowEnabled(false);
    m_view.setCursor(platform::CursorShape::HourGlass);
  }
  ~BusyWindow() {
    m_view.setWindowEnabled(true);
    m_view.setCursor(platform::CursorShape::Default);
  }
  BusyWindow(const BusyWindow&) = delete;
  BusyWindow& operator=(const BusyWindow&) = delete;

 private:
  platform::View& m_view;
};

void runStep(TMainForm& form, const install::ExpansionStep& step) {
  const std::string extension(step.extension);
  const std::string folder(step.folder);
  switch (step.kind) {
    case install::StepKind::Copy:
      form.CopyStage(step.first, step.last, extension, std::string(step.target));
      break;
    case install::StepKind::SettingsFile:
      form.InstallSettingsFile(step.first);
      break;
    case install::StepKind::TemplateFolder:
      form.InstallTemplateFolder(folder, step.first, extension);
      break;
    case install::StepKind::ArchiveFolder:
      form.InstallArchiveFolder(folder, step.first);
      break;
    case install::StepKind::Plugins:
      form.InstallPlugins(step.first);
      break;
    case install::StepKind::MainProgram:
      form.ReplaceMainProgram();
      break;
  }
}

}  // namespace

void TMainForm::Unpress() {
  BusyWindow busy(m_view);
  bool close = false;
  m_expanding = true;
  try {
    m_view.setCaption(Control::MsgLabel, FirstPass ? "アップデートコンポーネント(1)の展開..."
                                                   : "アップデートコンポーネント(2)の展開...");
    m_view.repaint(Control::MsgLabel);
    ExpandDownloads();
    using Steps = std::span<const install::ExpansionStep>;
    for (const install::ExpansionStep& step :
         FirstPass ? Steps(install::kPass1Steps) : Steps(install::kPass2Steps)) {
      if (step.stage >= 0) ShowStage(step.stage);
      runStep(*this, step);
    }
    CleanWorkFolder();
    m_view.setCaption(Control::ProgressLabel, "Completed");
    m_view.setProgress(100);
    if (!FirstPass) {
      (void)m_view.messageBox(platform::MessageKind::Information, "情報",
                              "アップデートが完了しました。終了します。",
                              platform::MessageButtons::Ok);
      close = true;
    }
  } catch (const std::exception& e) {
    (void)m_view.messageBox(platform::MessageKind::Error, "エラー",
                            std::string(e.what()) + "\r" + install::expansionFailed(4) + "\r" +
                                std::to_string(m_services.lastError.get()),
                            platform::MessageButtons::Ok);
    // A failed run ends the sequence even when the window refuses to close.
    CancelRequested = true;
    close = true;
  }
  m_expanding = false;
  if (close) Close();
}

void TMainForm::ShowStage(int n) {
  try {
    m_view.setCaption(Control::ProgressLabel, std::to_string(n) + " / 100");
    m_view.repaint(Control::ProgressLabel);
    m_view.setProgress(n + 1);
    m_view.setProgress(m_view.progress() - 1);
  } catch (const std::exception&) {
    // progress display only
  }
}

void TMainForm::MakeWritable(const std::string& path) {
  auto attributes = m_services.files.attributes(path);
  if (attributes && (*attributes & platform::kAttrReadOnly) != 0) {
    (void)m_services.files.setAttributes(path, 0);  // a failure shows in the copy that follows
  }
}

void TMainForm::CleanWorkFolder() {
  if (!WorkList) return;
  for (const auto& name : *WorkList) {
    (void)m_services.files.deleteFile(WorkPath + name);                             // ignored
    (void)m_services.files.deleteFile(WorkPath + install::RestoreExtension(name));  // ignored
  }
}
