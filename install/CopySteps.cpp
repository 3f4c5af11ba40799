// Program files, libraries, the product's settings file, plug-ins and the main program.
#include "app/MainForm.h"
#include "app/Numbers.h"
#include "app/TextRules.h"
#include "install/ExpansionTexts.h"
#include "install/PluginBackup.h"
#include "platform/AsciiCase.h"

namespace install {

// True when the restored copy holds something; an empty or missing copy must never replace an
// installed file (its expansion has already been reported).
bool restoredCopyUsable(platform::Services& services, const std::string& path) {
  if (services.files.fileSize(path).value_or(0) > 0) return true;
  if (services.files.fileExists(path)) services.lastError.set(platform::kErrorInvalidData);
  return false;
}

}  // namespace install

void TMainForm::CopyStage(int first, int last, const std::string& extension,
                          const std::string& targetName) {
  auto& list = *WorkList;
  for (int p = first; p <= last; ++p) {
    std::string name = app::changeExtension(list.at(static_cast<size_t>(p)), extension);
    std::string source = WorkPath + name;
    std::string target = InstallPath + (targetName.empty() ? name : targetName);
    if (!install::restoredCopyUsable(m_services, source) ||
        !m_services.files.copyFile(source, target, false)) {
      CreateError(install::expansionStepFailed(p));
    }
  }
}

void TMainForm::InstallSettingsFile(int position) {
  auto& files = m_services.files;
  std::string name = app::changeExtension(WorkList->at(static_cast<size_t>(position)), ".INI");
  std::string installed = InstallPath + name;
  bool replace = true;
  if (files.fileExists(installed)) {
    // A file of the current format already carries the user's settings: keep it.
    auto count =
        m_services.profiles.readString(installed, "MediaLabelPrintSet", "SettingNameCount");
    replace = (count ? app::profileInteger(*count) : std::nullopt).value_or(-1) == -1;
  }
  if (!replace) return;
  std::string source = WorkPath + name;
  if (!install::restoredCopyUsable(m_services, source) ||
      !files.copyFile(source, installed, false)) {
    CreateError(install::expansionStepFailed(position));
  }
}

void TMainForm::InstallPlugins(int firstStandard) {
  std::string folder = InstallPath + "plugin\\";
  auto& list = *WorkList;
  const size_t first = static_cast<size_t>(firstStandard);
  auto restoredName = [&](size_t p) {
    std::string extension = platform::ascii::toUpper(app::extensionOf(list[p]));
    return app::changeExtension(list[p], extension == ".XL_"   ? ".XLS"
                                         : extension == ".DO_" ? ".DOC"
                                                               : ".SPI");
  };
  // Every new copy is checked before the live plug-ins are set aside, so a bad download never
  // leaves a plug-in folder of backups only.
  for (size_t p = first; p < list.size(); ++p) {
    if (!install::restoredCopyUsable(m_services, WorkPath + restoredName(p))) {
      CreateError(install::expansionStepFailed(static_cast<int>(p)));
    }
  }
  if (!install::RenameSPI(m_services.files, folder)) {
    CreateError(install::expansionStepFailed("RenameSPI"));
  }
  for (size_t p = first; p < list.size(); ++p) {
    std::string name = restoredName(p);
    if (!m_services.files.copyFile(WorkPath + name, folder + name, false)) {
      CreateError(install::expansionStepFailed(static_cast<int>(p)));
    }
  }
}

void TMainForm::ReplaceMainProgram() {
  auto& files = m_services.files;
  std::string name = app::changeExtension(WorkList->at(0), ".EXE");
  std::string backup = WorkPath + app::changeExtension(WorkList->at(0), ".OLD");
  std::string installed = InstallPath + name;
  // Checked before anything is touched, so a bad copy never costs the installed program.
  if (!install::restoredCopyUsable(m_services, WorkPath + name)) {
    CreateError(install::expansionFailed(2));
  }
  MakeWritable(backup);
  if (!files.copyFile(installed, backup, false)) {
    CreateError(install::expansionFailed(3));
  }
  MakeWritable(installed);
  if (!files.deleteFile(installed)) {
    CreateError(install::expansionFailed(1));
  }
  if (!files.copyFile(WorkPath + name, installed, false)) {
    CreateError(install::expansionFailed(2));
  }
}
