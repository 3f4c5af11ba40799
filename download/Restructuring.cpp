// The first-run restructuring: every entry into OLD_BIN, then NEW_BIN seeded from it.
#include "download/Restructuring.h"

#include "app/Dialogs.h"
#include "app/Errors.h"
#include "app/MainForm.h"
#include "app/Waits.h"
#include "download/FolderOperations.h"
#include "platform/AsciiCase.h"

namespace download {
namespace {

// What the marker says to a user who finds it.
constexpr const char* kMarkerText =
    "Brevan: OLD_BIN / NEW_BIN restructuring under way; the next update finishes it.\r\n";

std::string cannotMoveText(const std::string& entry, int code) {
  return "\"" + entry + "\" を OLD_BIN に移動できません。(" + std::to_string(code) + ")";
}

std::string cannotDeleteText(const std::string& path) {
  return "ファイル \"" + path + "\" を削除できません。";
}

bool sameEntry(platform::FileSystem& files, const std::string& a, const std::string& b) {
  return platform::ascii::equalsIgnoreCase(files.fullPath(a), files.fullPath(b));
}

}  // namespace

LayoutState layoutState(platform::FileSystem& files, const std::string& root) {
  if (!files.folderExists(root + "OLD_BIN")) return LayoutState::kFirstRun;
  if (files.exists(root + "OLD_BIN\\" + kRestructuringMarker) ||
      !files.folderExists(root + "NEW_BIN")) {
    return LayoutState::kInterrupted;
  }
  return LayoutState::kDone;
}

bool Restructure(TMainForm& form, const std::string& root) {
  auto& files = form.services().files;
  auto& view = form.view();
  const std::string oldBin = root + "OLD_BIN";
  const std::string marker = oldBin + "\\" + kRestructuringMarker;
  // The marker is on the disk before anything moves, so a run cut off at any move is known.
  if (!files.createFolders(oldBin) || !files.replaceFileAtomically(marker, kMarkerText)) {
    app::showError(view, cannotCreateFileText(marker));
    return false;
  }
  // One entry at a time, so that the box names the one that stayed. The settings file stays
  // where start-up finds it, with the user's proxy and version.
  std::string entries = FolderEntryList(files, root + "*");
  for (size_t start = 0, end; start < entries.size(); start = end + 1) {
    end = entries.find('\0', start);
    if (end == std::string::npos) end = entries.size();
    const std::string entry = entries.substr(start, end - start);
    if (sameEntry(files, entry, oldBin) || sameEntry(files, entry, root + "NEW_BIN") ||
        sameEntry(files, entry, form.IniFileName)) {
      continue;
    }
    const int code =
        form.services().shell.fileOperation(platform::ShellOperation::Move, {entry}, oldBin);
    if (code != 0) {
      app::showError(view, cannotMoveText(entry, code));
      return false;
    }
  }

  // Results are not checked: a run cut off here does all of it again, moves merging into what
  // is there and copies replacing it.
  (void)files.createFolders(root + "NEW_BIN\\FASTGLASS");
  (void)form.MoveFiles(root + "OLD_BIN\\FASTGLASS\\*.*", root + "NEW_BIN\\FASTGLASS");
  (void)files.createFolders(root + "NEW_BIN\\Plugin");
  (void)files.createFolders(root + "NEW_BIN\\template");
  (void)files.createFolders(root + "NEW_BIN\\Layout");
  (void)form.CopyFiles(root + "OLD_BIN\\Template\\*.*", root + "NEW_BIN\\template");
  (void)form.CopyFiles(root + "OLD_BIN\\Layout\\*.*", root + "NEW_BIN\\Layout");
  for (const char* name : {"BVUNINST.EXE", "KQVIEWER.INI", "PICTDESK.INI"}) {
    (void)files.copyFile(root + "OLD_BIN\\" + name, root + "New_BIN\\" + name, false);
  }
  // The image viewer control registers itself; a program that cannot start is passed over.
  std::string regsvr = root + "NEW_BIN\\FASTGLASS\\regsvr32.exe";
  std::string control = root + "NEW_BIN\\FASTGLASS\\FASTGLASSI.OCX";
  if (auto process = form.services().processes.start("\"" + regsvr + "\" /s \"" + control + "\"")) {
    while (process->running()) view.waitMessages(app::kWaitSliceMs);
  }
  // The window may have been closed while the registration ran: its list is released. The
  // marker stays, and the next press registers again.
  if (form.closed()) return false;
  if (!files.deleteFile(marker)) {
    app::showError(view, cannotDeleteText(marker));
    return false;
  }
  return true;
}

}  // namespace download
