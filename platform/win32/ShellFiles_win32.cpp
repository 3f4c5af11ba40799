// The shell's silent move and copy of file lists, through SHFileOperationW.
#include "platform/win32/ShellFiles_win32.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include "platform/win32/WideText.h"

namespace platform::win32 {
namespace {

// One path as the shell takes its lists: ended by two NULs.
std::wstring shellList(const std::string& path) {
  std::wstring list = widen(path);
  list.push_back(L'\0');
  list.push_back(L'\0');
  return list;
}

}  // namespace

int Win32ShellFiles::place(ShellOperation op, const std::string& source, const std::string& into,
                           const std::string& target, bool /*folder*/,
                           std::optional<uint32_t> existing, int /*depth*/) {
  // The shell moving into a folder that does not exist yet can lose the entries, and with a
  // single source it would take the folder's name for the entry: the folder is made first.
  if (!m_files.folderExists(into)) {
    if (Status created = m_files.createFolders(into); !created) return created.error;
  }
  // Every question answered yes replaces a read-only file too.
  if (int code = makeWritable(target, existing); code != 0) return code;
  const std::wstring from = shellList(source);
  const std::wstring to = shellList(into);
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = op == ShellOperation::Move ? FO_MOVE : FO_COPY;
  operation.pFrom = from.c_str();
  operation.pTo = to.c_str();
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
  const int result = ::SHFileOperationW(&operation);
  if (result == 0 && operation.fAnyOperationsAborted) return record(ERROR_CANCELLED);
  return record(result);
}

}  // namespace platform::win32
