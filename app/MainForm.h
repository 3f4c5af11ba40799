// The update window: the state of one update run and the handlers that carry its logic.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "download/ProxySignInBoxes.h"
#include "platform/HttpTransfer.h"
#include "platform/Services.h"
#include "platform/View.h"

class LhaBinding;

// The handlers are defined in the folder of their subsystem: app/ (start-up, settings,
// standards list, activation, cancel and close), download/ (download sequence, transfer
// events, folder operations) and install/ (expansion run and its steps).
class TMainForm : public platform::ViewEvents, public platform::HttpTransferEvents {
 public:
  // Creates the window's components and runs FormCreate.
  TMainForm(platform::View& view, platform::Services& services, LhaBinding* lha = nullptr);
  ~TMainForm() override;
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  // ---- start-up, settings, standards list (app/)
  void FormCreate();
  void FormActivate();
  void FormClose();
  void CancelButtonClick();
  void CheckListBox1ClickCheck();
  void ProxyIPMenuClick();
  void ProxyPortMenuClick();
  void WriteInitFile();
  [[noreturn]] void CreateError(const std::string& message);
  // Closes the window now, as the steps that finish or abort the update do; FormClose runs.
  void Close();

  // ---- download sequence, transfer events, folder operations (download/)
  void DownLoadButtonClick();
  void ipwHTTPStartTransfer(platform::HttpTransfer& sender, int direction);
  void ipwHTTPHeader(platform::HttpTransfer& sender, const std::string& field,
                     const std::string& value);
  void ipwHTTPTransfer(platform::HttpTransfer& sender, int direction, int32_t bytesTransferred,
                       std::string_view text);
  void ipwHTTPEndTransfer(platform::HttpTransfer& sender, int direction);
  void ipwHTTPError(platform::HttpTransfer& sender, int errorCode, const std::string& description);
  bool MoveFiles(const std::string& sources, const std::string& destination);
  bool CopyFiles(const std::string& sources, const std::string& destination);
  void ClearReadOnly(const std::string& folder);

  // ---- expansion run (install/)
  void Unpress();
  void ExpandDownloads();
  void ShowStage(int n);
  void MakeWritable(const std::string& path);
  void CleanWorkFolder();
  void CopyStage(int first, int last, const std::string& extension,
                 const std::string& targetName = {});
  void InstallSettingsFile(int position);
  void InstallPlugins(int firstStandard);
  void ReplaceMainProgram();
  void InstallTemplateFolder(const std::string& folder, int position, const std::string& extension);
  void InstallArchiveFolder(const std::string& folder, int position);
  int ExpandArchive(const std::string& archivePath, const std::string& destFolder);

  // ---- run state: what each field holds; who changes it.
  // The installation root, then root + OLD_BIN\, then root + New_BIN\ as the download runs.
  std::string InstallPath;
  // The installation root as start-up found it; never changed afterwards.
  std::string InstallRoot;
  // Full path of the settings file "DARADURA.INI"; set once by FormCreate.
  std::string IniFileName;
  // Proxy host for the transfers; read by FormCreate, changed by the proxy menu.
  std::string ProxyIP;
  // Proxy port, 0 when none; read by FormCreate, changed by the proxy menu.
  uint16_t ProxyPortNo = 0;
  // The settings file's VER ("0.0.0" when it is missing); read by FormCreate, only written back.
  std::string IniVersion;
  // Version of the installed main program (empty when none); set by FormCreate.
  std::string NowVersion;
  // Cleared by FormCreate when the user declines to overwrite; FormActivate then closes.
  bool ContinueUpdate = false;
  // Names to fetch and expand, by position: made by FormCreate, filled per pass, freed on close.
  std::unique_ptr<std::vector<std::string>> WorkList;
  // The pass's work folder under the temporary folder; set by the download sequence.
  std::string WorkPath;
  // Stops the download: set by Cancel, close and transfer errors, cleared by the download sequence.
  bool CancelRequested = false;
  // The pass's last file arrived complete: kept by the transfer events, cleared before each pass.
  bool TransferDone = false;
  // Bytes of the current file so far; kept by the transfer events.
  int32_t TransferredBytes = 0;
  // Number, from 1, of the file being fetched; set by the download pass.
  int32_t CurrentItem = 0;
  // True during pass (1), false during pass (2); set by the download sequence, read by Unpress.
  bool FirstPass = false;
  // Whether the cancel button shows during the pass; set by the download sequence.
  bool CancelAllowed = false;
  // Length announced for the current file: preset by the download pass, set by the header event.
  double ContentLength = 0.0;

  // Transfer component of pass (2); made with the window.
  std::unique_ptr<platform::HttpTransfer> ipwHTTP;
  // Transfer component of pass (1); made with the window.
  std::unique_ptr<platform::HttpTransfer> ipwHTTP2;
  // A third component, without events: fetches the signed list of a pass.
  std::unique_ptr<platform::HttpTransfer> ipwHTTP_lha32;

  // True once start-up found no installation and told the program to end.
  bool terminated() const { return m_terminated; }
  // True once the window has closed; a running sequence stops using the run state.
  bool closed() const { return m_closed; }
  // True while the download sequence or the expansion runs.
  bool running() const { return m_running; }

  platform::View& view() { return m_view; }
  platform::Services& services() { return m_services; }

 private:
  // platform::ViewEvents
  void onActivate() override;
  bool onClose() override;
  void onDownLoadClick() override;
  void onCancelClick() override;
  void onCheckListClickCheck() override;
  void onProxyIPMenuClick() override;
  void onProxyPortMenuClick() override;
  // platform::HttpTransferEvents
  void OnHeader(platform::HttpTransfer& sender, const std::string& field,
                const std::string& value) override;
  void OnStartTransfer(platform::HttpTransfer& sender, int direction) override;
  void OnTransfer(platform::HttpTransfer& sender, int direction, int32_t bytesTransferred,
                  std::string_view text) override;
  void OnEndTransfer(platform::HttpTransfer& sender, int direction) override;
  void OnError(platform::HttpTransfer& sender, int errorCode,
               const std::string& description) override;

  // Shows an error that reached the top of a handler, as the application's default handling.
  void showException(const std::exception& e);

  // Steps of FormCreate.
  void resetWindowState();
  // False when no installation was found and the program was told to end.
  bool findInstallation();
  void showVersions(const std::string& mainProgram);
  // False when the user declined to overwrite an equal or newer installation.
  bool overwriteAccepted(const std::string& mainProgram);
  void readSettingsFile();
  void loadStandards();
  void saveStandards();

  // The window's controls and dialogs; handed in, outlives the form.
  platform::View& m_view;
  // The machine services; handed in, outlive the form.
  platform::Services& m_services;
  // The archive library binding, null when none was loaded; handed in.
  LhaBinding* m_lha;
  // The proxy sign-in both download components ask; the accepted pair lives here for the run.
  download::ProxySignInBoxes m_proxySignIn;
  // Set by FormCreate when no installation was found.
  bool m_terminated = false;
  // Set by FormClose; a running sequence stops using the run state.
  bool m_closed = false;
  // Set by the download sequence for as long as it runs.
  bool m_running = false;
  // Set by Unpress while it installs files: the window cannot be closed, the run ends itself.
  bool m_expanding = false;
  // Set once FormCreate loaded the ticks; FormClose saves them only then.
  bool m_standardsLoaded = false;
};
