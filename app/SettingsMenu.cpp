// The menu "設定": proxy host and port, written to the settings file at once.
#include "app/Dialogs.h"
#include "app/Errors.h"
#include "app/MainForm.h"
#include "app/Numbers.h"
#include "app/SettingsFile.h"

void TMainForm::WriteInitFile() {
  app::Settings s{ProxyIP, ProxyPortNo, InstallPath, IniVersion};
  std::string bytes = m_services.codec.toCp932(app::settingsText(s));
  // Replaced as a whole, so a full disk never leaves half a settings file.
  if (auto st = m_services.files.replaceFileAtomically(IniFileName, bytes); !st) {
    m_services.lastError.set(st.error);
    throw BrevanError(cannotCreateFileText(IniFileName) + app::systemErrorText(st.error));
  }
}

void TMainForm::ProxyIPMenuClick() {
  ProxyIP = m_view.inputBox("プロキシ設定", "プロキシIP", ProxyIP);
  WriteInitFile();
}

void TMainForm::ProxyPortMenuClick() {
  std::string typed = m_view.inputBox("プロキシ設定", "プロキシPort", std::to_string(ProxyPortNo));
  auto number = app::typedInteger(typed);
  if (!number) throw BrevanError("'" + typed + "' は整数ではありません");
  if (*number < 0 || *number > 65535) throw BrevanError("範囲チェックエラー");
  ProxyPortNo = static_cast<uint16_t>(*number);
  WriteInitFile();
}
