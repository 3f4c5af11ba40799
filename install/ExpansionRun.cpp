// Unpress: expands a pass's downloads, installs them step by step, cleans up and finishes.
#include "app/Dialogs.h"
#include "app/MainForm.h"
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
    if (FirstPass) {
      CopyStage(0, 5, ".EXE");
      CopyStage(6, 7, ".DLL");
      InstallSettingsFile(8);
      InstallTemplateFolder("Template\\14年度\\KEN", 9, ".4KE");
      InstallTemplateFolder("Template\\14年度\\NOU", 11, ".4NO");
      InstallTemplateFolder("Template\\16年度\\KEN", 13, ".6KE");
      InstallTemplateFolder("Template\\16年度\\NOU", 15, ".6NO");
      InstallTemplateFolder("Template\\日本道路公団\\KEN", 17, ".JH");
      InstallArchiveFolder("corins0.0", 19);
      InstallArchiveFolder("corins5.0", 20);
      InstallArchiveFolder("corins6.0", 21);
      InstallArchiveFolder("ヘルプ", 22);
      InstallPlugins(23);
      ReplaceMainProgram();
    } else {
      ShowStage(4), CopyStage(0, 7, ".EXE");
      ShowStage(8), CopyStage(8, 8, ".EXE", "..\\PICTDESK.EXE");
      ShowStage(12), CopyStage(9, 10, ".DLL");
      ShowStage(16), InstallSettingsFile(11);
      ShowStage(20), InstallTemplateFolder("Template\\14年度\\KEN", 12, ".4KE");
      ShowStage(24), InstallTemplateFolder("Template\\14年度\\NOU", 14, ".4NO");
      ShowStage(28), InstallTemplateFolder("Template\\16年度\\KEN", 16, ".6KE");
      ShowStage(32), InstallTemplateFolder("Template\\16年度\\NOU", 18, ".6NO");
      ShowStage(36), InstallTemplateFolder("Template\\日本道路公団\\KEN", 20, ".JH");
      ShowStage(40), InstallTemplateFolder("Template\\日本高速道路\\KEN", 22, ".NK");
      ShowStage(44), InstallTemplateFolder("Template\\建築\\KEN", 24, ".EZ");
      ShowStage(48), InstallTemplateFolder("Template\\20年度\\KEN", 26, ".0KE");
      ShowStage(52), InstallTemplateFolder("Template\\21年度\\NOU", 28, ".1NO");
      ShowStage(56), InstallTemplateFolder("Template\\空港\\KEN", 30, ".KUK");
      ShowStage(60), InstallTemplateFolder("Template\\港湾\\KEN", 32, ".KOU");
      ShowStage(64), InstallArchiveFolder("corins0.0", 34);
      ShowStage(68), InstallArchiveFolder("corins5.0", 35);
      ShowStage(72), InstallArchiveFolder("corins6.0", 36);
      ShowStage(76), InstallArchiveFolder("ヘルプ", 37);
      ShowStage(80), CopyStage(38, 39, ".EXE");
      ShowStage(84), CopyStage(40, 41, ".DLL");
      ShowStage(88), InstallPlugins(42);
      ShowStage(92), ReplaceMainProgram();
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
