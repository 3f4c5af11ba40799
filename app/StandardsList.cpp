// The standards check list: its ticks loaded from and saved to the plug-in list.
#include "app/Dialogs.h"
#include "app/Errors.h"
#include "app/MainForm.h"
#include "app/Numbers.h"
#include "app/Standards.h"
#include "app/TextRules.h"
#include "platform/AsciiCase.h"

namespace app {

bool isMandatoryStandard(const std::string& itemText) {
  return itemText == kStandards[0] || itemText == kStandards[1];
}

}  // namespace app

void TMainForm::loadStandards() {
  auto& files = m_services.files;
  std::string folder = app::withBackslash(InstallPath);
  std::string working = folder + "NEW_BIN\\" + app::kPluginListName;
  if (!files.fileExists(working)) {
    // The working copy comes from the installation's copy, else from the old folder's.
    std::string installed = folder + app::kPluginListName;
    std::string old = folder + "OLD_BIN\\" + app::kPluginListName;
    if (files.fileExists(installed)) {
      (void)files.copyFile(installed, working, false);  // not reported
    } else if (files.fileExists(old)) {
      (void)files.copyFile(old, working, false);  // not reported
    }
  }
  bool found = files.fileExists(working);
  for (int i = 0; i < m_view.itemCount(); ++i) {
    bool ticked = true;
    if (found) {
      auto value = m_services.profiles.readString(working, app::kPluginSection, m_view.itemText(i));
      auto number = value ? app::profileInteger(*value) : std::nullopt;
      ticked = number.value_or(0) != 0;
    }
    m_view.setChecked(i, ticked);
  }
  m_standardsLoaded = true;
}

void TMainForm::saveStandards() {
  std::string installed = app::withBackslash(InstallPath) + app::kPluginListName;
  for (int i = 0; i < m_view.itemCount(); ++i) {
    if (!m_services.profiles.writeString(installed, app::kPluginSection, m_view.itemText(i),
                                         m_view.isChecked(i) ? "1" : "0")) {
      throw BrevanError(installed + " に書き込めません");
    }
  }
  (void)m_services.profiles.flush(installed);  // each write has reached the disk already
  std::string root = app::withBackslash(InstallRoot) + app::kPluginListName;
  // A copy onto itself would only risk the file just written.
  if (!platform::ascii::equalsIgnoreCase(m_services.files.fullPath(installed),
                                         m_services.files.fullPath(root))) {
    (void)m_services.files.copyFile(installed, root, false);  // not reported
  }
}

void TMainForm::CheckListBox1ClickCheck() {
  int index = m_view.itemIndex();
  if (index < 0 || index >= m_view.itemCount()) return;
  std::string text = m_view.itemText(index);
  if (!app::isMandatoryStandard(text) || m_view.isChecked(index)) return;
  app::showNotice(m_view, "「" + text + "」の" + "\r" + "選択解除はできません。");
  m_view.setChecked(index, true);
}
