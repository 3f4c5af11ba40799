// FormCreate: finds the installation, reads the settings, shows the versions, loads the ticks.
#include "app/Dialogs.h"
#include "app/Errors.h"
#include "app/MainForm.h"
#include "app/SettingsFile.h"
#include "app/TextRules.h"
#include "app/Versions.h"
#include "app/WindowDesign.h"
#include "platform/AsciiCase.h"

using platform::Control;
using platform::RegistryRoot;

namespace {

constexpr const char* kBrevanKey = "SOFTWARE\\Valtern\\Brevan";
constexpr const char* kViewerOptionKey =
    "Software\\AHOEM011\\JanSDK8\\2004.0.1\\ENGOPTION\\PD0000R";

// Cuts the first occurrence of a folder name; letter case does not matter, as on the disk.
void cutFolder(std::string& path, const std::string& folder) {
  if (size_t pos = app::findIgnoreCase(path, folder); pos != std::string::npos) {
    path.erase(pos, folder.size());
  }
}

// An earlier update may have registered the program inside OLD_BIN; point it back.
void repairRegisteredProgram(platform::Registry& reg) {
  if (!reg.keyExists(RegistryRoot::LocalMachine, kBrevanKey)) return;
  auto exe = reg.readString(RegistryRoot::LocalMachine, kBrevanKey, "Exename");
  if (!exe) return;
  std::string upper = platform::ascii::toUpper(*exe);
  if (size_t pos = upper.find("OLD_BIN\\"); pos != std::string::npos) {
    upper.erase(pos, 8);
    (void)reg.writeString(RegistryRoot::LocalMachine, kBrevanKey, "exename", upper);  // optional
  }
}

// The image viewer's per-user read option starts afresh.
void resetViewerOption(platform::Registry& reg) {
  if (reg.createKey(RegistryRoot::CurrentUser, kViewerOptionKey)) {
    (void)reg.writeBinary(RegistryRoot::CurrentUser, kViewerOptionKey, "ReadOption",
                          std::string(12, '\0'));  // optional
  }
}

// The settings file sits in \VALTERN\BREVAN on the Windows drive, else in Windows itself.
std::string settingsFileName(platform::Services& services) {
  std::string windowsDir = app::GetWindowsDir(services);
  std::string settingsFolder = windowsDir;
  if (!windowsDir.empty()) {
    std::string brevanFolder = windowsDir.substr(0, 1) + ":\\VALTERN\\BREVAN";
    if (services.files.folderExists(brevanFolder)) settingsFolder = brevanFolder;
  }
  return app::withBackslash(settingsFolder) + "DARADURA.INI";
}

}  // namespace

void TMainForm::FormCreate() {
  repairRegisteredProgram(m_services.registry);
  resetViewerOption(m_services.registry);
  resetWindowState();
  IniFileName = settingsFileName(m_services);
  if (!findInstallation()) return;

  // A path saved during an update names a sub-folder; go back to the installation folder.
  cutFolder(InstallPath, "OLD_BIN\\");
  cutFolder(InstallPath, "NEW_BIN\\");
  InstallRoot = InstallPath;

  const std::string mainProgram = app::withBackslash(InstallPath) + "pictdesk.exe";
  showVersions(mainProgram);
  if (!overwriteAccepted(mainProgram)) {
    ContinueUpdate = false;
    return;
  }

  loadStandards();
  WorkList = std::make_unique<std::vector<std::string>>();
  TransferDone = false;
  TransferredBytes = 0;
  app::showNotice(m_view,
                  "このアップデートを行うと、ルミナメニューを御使用の場合はバージョン1.07i"
                  "以降が必要になります\r\r必ずルミナメニューのバージョンをご確認下さい");
}

void TMainForm::resetWindowState() {
  m_view.setVisible(Control::CancelButton, false);
  m_view.setVisible(Control::DownLoadButton, true);
  m_view.setClientSize(app::kMainForm.clientWidth, app::kMainForm.clientHeight);
  m_view.setCaption(Control::ProgressLabel, "");
  m_view.setEnabled(Control::DownLoadButton, false);
  ContinueUpdate = true;
  InstallPath.clear();
  ProxyIP.clear();
  ProxyPortNo = 0;
  IniVersion = "0.0.0";
}

bool TMainForm::findInstallation() {
  // The settings file names the installation, else the registered program does.
  if (m_services.files.exists(IniFileName)) {
    try {
      readSettingsFile();
    } catch (const BrevanError& e) {
      app::showError(m_view, e.what());
      InstallPath.clear();
    }
  } else if (auto exe = m_services.registry.readString(RegistryRoot::LocalMachine, kBrevanKey,
                                                       "Exename")) {
    InstallPath = app::folderPart(*exe);
  }
  if (!InstallPath.empty()) return true;
  m_terminated = true;
  m_view.terminate();
  return false;
}

void TMainForm::showVersions(const std::string& mainProgram) {
  NowVersion = app::FileVersionText(m_services, mainProgram);
  m_view.setCaption(Control::NowVersionLabel, "NowVersion: " + NowVersion);
  m_view.setCaption(Control::UpVersionLabel, std::string("UpVersion: ") + app::kUpVersion);
}

bool TMainForm::overwriteAccepted(const std::string& mainProgram) {
  // Versions compare as text, byte by byte; the file is asked again, as at the label.
  if (app::FileVersionText(m_services, mainProgram) < app::kUpVersion) return true;
  return app::confirm(m_view,
                      "既に同バージョンまたは上位バージョンがインストールされています。\r"
                      "上書き更新を行いますか？");
}

void TMainForm::readSettingsFile() {
  auto bytes = m_services.files.readFile(IniFileName);
  if (!bytes) {
    throw BrevanError(cannotOpenFileText(IniFileName) +
                      app::systemErrorText(m_services.lastError.get()));
  }
  // A zero byte ends the text before it is decoded.
  if (auto nul = bytes->find('\0'); nul != std::string::npos) bytes->resize(nul);
  app::Settings s = app::parseSettings(m_services.codec.fromCp932(*bytes));
  ProxyIP = s.proxyIP;
  ProxyPortNo = s.proxyPort;
  InstallPath = s.path;
  IniVersion = s.version;
}
