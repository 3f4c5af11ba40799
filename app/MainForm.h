// The update window: the state of one update run and the handlers that carry its logic.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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
  void InstallTemplateFolder(const std::string& folder, int position,
                             const std::string& extension);
  void InstallArchiveFolder(const std::string& folder, int position);
  int ExpandArchive(const std::string& archivePath, const std::string& destFolder);

  // ---- run state
  std::string InstallPath;
  std::string InstallRoot;
  std::string IniFileName;
  std::string ProxyIP;
  uint16_t ProxyPortNo = 0;
  std::string IniVersion;
  std::string NowVersion;
  bool ContinueUpdate = false;
  // Created by FormCreate, released by FormClose.
  std::unique_ptr<std::vector<std::string>> WorkList;
  std::string WorkPath;
  bool CancelRequested = false;
  bool TransferDone = false;
  int32_t TransferredBytes = 0;
  // Fields of the download sequence.
  int32_t CurrentItem = 0;
  bool FirstPass = false;
  bool CancelAllowed = false;
  double ContentLength = 0.0;

  // The window's transfer components.
  std::unique_ptr<platform::HttpTransfer> ipwHTTP;
  std::unique_ptr<platform::HttpTransfer> ipwHTTP2;
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

  void readSettingsFile();
  void loadStandards();
  void saveStandards();

  platform::View& m_view;
  platform::Services& m_services;
  LhaBinding* m_lha;
  bool m_terminated = false;
  bool m_closed = false;
  bool m_running = false;
  // While the expansion installs files the window cannot be closed: it ends the run itself.
  bool m_expanding = false;
  bool m_standardsLoaded = false;
};
