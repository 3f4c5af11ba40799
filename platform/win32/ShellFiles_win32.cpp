// The shell's silent move and copy of file lists, through SHFileOperationW.
#include "platform/win32/ShellFiles_win32.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include <string_view>

#include "platform/AsciiCase.h"
#include "platform/win32/WideText.h"

namespace platform::win32 {
namespace {

constexpr int kMaxDepth = 100;

using ascii::equalsIgnoreCase;

// True when `inner` lies below the folder `outer` (full paths without trailing separator).
bool isInside(std::string_view inner, std::string_view outer) {
  if (outer.empty()) return false;
  const std::string_view folder = outer.back() == '\\' ? outer.substr(0, outer.size() - 1) : outer;
  return inner.size() > folder.size() + 1 && inner[folder.size()] == '\\' &&
         equalsIgnoreCase(inner.substr(0, folder.size()), folder);
}

bool hasWildcard(std::string_view name) { return name.find_first_of("*?") != std::string::npos; }

// A full path without its trailing separator, except at a drive's root ("C:\").
std::string withoutSeparator(std::string path) {
  if (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

std::string lastComponent(const std::string& path) {
  size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path) {
  size_t slash = path.rfind('\\');
  return slash == std::string::npos ? "" : withoutSeparator(path.substr(0, slash + 1));
}

std::string join(const std::string& folder, const std::string& name) {
  return !folder.empty() && folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

bool isDotEntry(const FindEntry& entry) { return entry.name == "." || entry.name == ".."; }

// One path as the shell takes its lists: ended by two NULs.
std::wstring shellList(const std::string& path) {
  std::wstring list = widen(path);
  list.push_back(L'\0');
  list.push_back(L'\0');
  return list;
}

}  // namespace

Win32ShellFiles::Win32ShellFiles(FileSystem& files, LastError& lastError)
    : m_files(files), m_lastError(lastError) {}

int Win32ShellFiles::record(int code) {
  if (code != 0) m_lastError.set(code);
  return code;
}

int Win32ShellFiles::fileOperation(ShellOperation op, const std::vector<std::string>& sources,
                                   const std::string& destination) {
  if (sources.empty()) return 0;
  const std::string into = withoutSeparator(m_files.fullPath(destination));
  if (into.empty()) return m_lastError.get();
  if (auto attributes = m_files.attributes(into); attributes && !(*attributes & kAttrDirectory)) {
    return record(kShellFolderOntoFile);
  }
  int first = 0;
  auto note = [&first](int code) {
    if (first == 0) first = code;
  };
  for (const std::string& source : sources) {
    const std::string full = withoutSeparator(m_files.fullPath(source));
    if (full.empty()) {
      note(m_lastError.get());
      continue;
    }
    if (!hasWildcard(lastComponent(full))) {
      note(transfer(op, full, into, 0));
      continue;
    }
    const std::string folder = folderOf(full);
    if (!m_files.folderExists(folder)) {
      note(record(kErrorPathNotFound));
      continue;
    }
    for (const FindEntry& entry : m_files.find(full)) {
      if (!isDotEntry(entry)) note(transfer(op, join(folder, entry.name), into, 0));
    }
  }
  // Later queries may have recorded their own codes; the answer is the first failure.
  if (first != 0) m_lastError.set(first);
  return first;
}

int Win32ShellFiles::transfer(ShellOperation op, const std::string& source, const std::string& into,
                              int depth) {
  if (depth > kMaxDepth) return record(kErrorFilenameExcedRange);
  const auto attributes = m_files.attributes(source);
  if (!attributes) return m_lastError.get();
  const std::string name = lastComponent(source);
  if (name.empty() || name.back() == ':') return record(kErrorAccessDenied);  // a drive's root
  const bool folder = (*attributes & kAttrDirectory) != 0;
  // The destination folder named among the sources of a move is already where it is going.
  if (op == ShellOperation::Move && equalsIgnoreCase(source, into)) return 0;
  if (folder && (equalsIgnoreCase(source, into) || isInside(into, source))) {
    return record(kShellDestinationInside);
  }
  const std::string target = join(into, name);
  if (equalsIgnoreCase(source, target)) {
    return op == ShellOperation::Move ? 0 : record(kShellSameFile);
  }
  const auto existing = m_files.attributes(target);
  if (existing && folder != ((*existing & kAttrDirectory) != 0)) {
    return record(folder ? kShellFolderOntoFile : kShellFileOntoFolder);
  }
  // A folder onto one of its name merges entry by entry: Wine's shell reports success for such
  // a move and leaves everything where it was.
  if (folder && existing) return mergeFolder(op, source, target, depth);
  // The shell moving into a folder that does not exist yet can lose the entries, and with a
  // single source it would take the folder's name for the entry: the folder is made first.
  if (!m_files.folderExists(into)) {
    if (Status created = m_files.createFolders(into); !created) return created.error;
  }
  // Every question answered yes replaces a read-only file too.
  if (existing && (*existing & kAttrReadOnly) != 0) {
    const uint32_t writable = *existing & ~static_cast<uint32_t>(kAttrReadOnly);
    if (Status cleared = m_files.setAttributes(target, writable); !cleared) return cleared.error;
  }
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

int Win32ShellFiles::mergeFolder(ShellOperation op, const std::string& source,
                                 const std::string& target, int depth) {
  int first = 0;
  for (const FindEntry& entry : m_files.find(join(source, "*"))) {
    if (isDotEntry(entry)) continue;
    const int code = transfer(op, join(source, entry.name), target, depth + 1);
    if (first == 0) first = code;
  }
  if (first != 0 || op == ShellOperation::Copy) return first;
  // The emptied source goes, read-only or not.
  if (auto attributes = m_files.attributes(source); attributes && (*attributes & kAttrReadOnly)) {
    const uint32_t writable = *attributes & ~static_cast<uint32_t>(kAttrReadOnly);
    if (Status cleared = m_files.setAttributes(source, writable); !cleared) return cleared.error;
  }
  return m_files.removeFolder(source).error;
}

}  // namespace platform::win32
