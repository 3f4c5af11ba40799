// Template folders, CORINS folders and the help folder.
#include "app/MainForm.h"
#include "app/TextRules.h"
#include "install/ExpansionTexts.h"
#include "install/HelpMerge.h"
#include "install/LhaBinding.h"
#include "install/LhaCommand.h"
#include "platform/AsciiCase.h"

namespace install {
bool restoredCopyUsable(platform::Services& services, const std::string& path);
}

void TMainForm::InstallTemplateFolder(const std::string& folder, int position,
                                      const std::string& extension) {
  if (!m_services.files.createFolders(InstallPath + folder)) {
    CreateError(install::expansionStepFailed(folder + " CreateFolder"));
  }
  for (int p = position; p <= position + 1; ++p) {
    std::string workName = app::changeExtension(WorkList->at(static_cast<size_t>(p)), extension);
    std::string installed = InstallPath + folder + "\\" + app::changeExtension(workName, ".TXT");
    MakeWritable(installed);
    std::string source = WorkPath + workName;
    if (!install::restoredCopyUsable(m_services, source) ||
        !m_services.files.copyFile(source, installed, false)) {
      CreateError(install::expansionStepFailed(p));
    }
  }
}

void TMainForm::InstallArchiveFolder(const std::string& folder, int position) {
  MakeWritable(InstallPath + folder);
  if (!m_services.files.createFolders(InstallPath + folder)) {
    CreateError(install::expansionStepFailed(folder + "CreateFolder"));
  }
  const std::string& entry = WorkList->at(static_cast<size_t>(position));
  // A merge that fails leaves the folder as it was; an archive the library could not expand
  // would leave it unfilled while the update says it is done, so that stops the run.
  if (!FirstPass && platform::ascii::toUpper(entry).rfind("MERGEHELP.", 0) == 0) {
    (void)install::MergeHelpFile(m_services.files, m_services.codec, m_view,
                                 WorkPath + app::changeExtension(entry, ".INI"),
                                 InstallPath + "ヘルプ");
  } else if (ExpandArchive(WorkPath + entry, app::withoutBackslash(InstallPath)) != 0) {
    CreateError(install::expansionStepFailed(position));
  }
}

int TMainForm::ExpandArchive(const std::string& archivePath, const std::string& destFolder) {
  std::string bytes =
      install::LhaCommandLine(m_services.codec, m_services.folders, archivePath, destFolder);
  // The library is told one character less than the buffer holds.
  std::string output(255, '\0');
  int result = 0;
  if (m_lha) result = m_lha->Unlha(nullptr, bytes.c_str(), output.data(), 254);
  output.resize(output.find('\0') == std::string::npos ? output.size() : output.find('\0'));
  return result;
}
