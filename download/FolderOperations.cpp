// Folder operations of the first-run restructuring.
#include "download/FolderOperations.h"

#include <vector>

#include "app/Dialogs.h"
#include "app/MainForm.h"
#include "app/TextRules.h"
#include "platform/AsciiCase.h"

namespace download {

std::string FullFolderPath(platform::FileSystem& files, const std::string& path) {
  return app::withBackslash(files.fullPath(path));
}

std::string FolderEntryList(platform::FileSystem& files, const std::string& mask) {
  std::string folder = app::folderPart(mask);
  std::string list;
  for (const auto& entry : files.find(mask)) {
    if (entry.name == "." || entry.name == "..") continue;
    list += folder + entry.name;
    list += '\0';
  }
  return list;
}

std::string WithoutEntry(platform::FileSystem& files, const std::string& entries,
                         const std::string& path) {
  const std::string full = files.fullPath(path);
  std::string kept;
  size_t start = 0;
  while (start < entries.size()) {
    size_t end = entries.find('\0', start);
    if (end == std::string::npos) end = entries.size();
    const std::string entry = entries.substr(start, end - start);
    if (!platform::ascii::equalsIgnoreCase(files.fullPath(entry), full)) {
      kept += entry;
      kept += '\0';
    }
    start = end + 1;
  }
  return kept;
}

bool UpdatableFolder(platform::FileSystem& files, const std::string& windowsDir,
                     const std::string& folder) {
  const std::string full = files.fullPath(folder);
  // "X:\" and shorter: a drive root, or nothing the platform could resolve.
  if (app::withBackslash(full).size() <= 3) return false;
  return windowsDir.empty() ||
         !platform::ascii::equalsIgnoreCase(app::withBackslash(full),
                                            app::withBackslash(files.fullPath(windowsDir)));
}

}  // namespace download

namespace {

// A NUL-separated list of paths, or one path, as the shell operation takes its sources.
std::vector<std::string> splitSources(const std::string& sources) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < sources.size()) {
    size_t end = sources.find('\0', start);
    if (end == std::string::npos) end = sources.size();
    if (end > start) out.push_back(sources.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

}  // namespace

bool TMainForm::MoveFiles(const std::string& sources, const std::string& destination) {
  return m_services.shell.fileOperation(platform::ShellOperation::Move, splitSources(sources),
                                        destination) == 0;
}

bool TMainForm::CopyFiles(const std::string& sources, const std::string& destination) {
  return m_services.shell.fileOperation(platform::ShellOperation::Copy, splitSources(sources),
                                        destination) == 0;
}

void TMainForm::ClearReadOnly(const std::string& folder) {
  auto& files = m_services.files;
  for (const auto& entry : files.find(folder + "*")) {
    if (entry.name != "." && entry.name != ".." && entry.isFolder()) {
      ClearReadOnly(folder + entry.name + "\\");
      continue;
    }
    // "." stands for the folder itself and ".." for its parent: their read-only goes too.
    if ((entry.attributes & platform::kAttrReadOnly) == 0) continue;
    uint32_t cleared = entry.attributes & ~static_cast<uint32_t>(platform::kAttrReadOnly);
    if (!files.setAttributes(folder + entry.name, cleared)) {
      if (!app::confirm(m_view, "属性変更に失敗しました。処理を続行しますか？")) return;
    }
  }
}
