// The shell's silent move and copy of file lists, on the machine's file system.
#include "platform/posix/ShellFiles_posix.h"

#include <string_view>

#include "platform/AsciiCase.h"

namespace platform::posix {
namespace {

constexpr int kMaxDepth = 100;

// True when `inner` lies below the folder `outer` (full paths without trailing separator).
bool isInside(std::string_view inner, std::string_view outer) {
  if (outer.empty()) return false;
  const std::string_view folder = outer.back() == '\\' ? outer.substr(0, outer.size() - 1) : outer;
  return inner.size() > folder.size() + 1 && inner[folder.size()] == '\\' &&
         ascii::equalsIgnoreCase(inner.substr(0, folder.size()), folder);
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

}  // namespace

PosixShellFiles::PosixShellFiles(FileSystem& files, LastError& lastError)
    : m_files(files), m_lastError(lastError) {}

int PosixShellFiles::record(int code) {
  if (code != 0) m_lastError.set(code);
  return code;
}

int PosixShellFiles::fileOperation(ShellOperation op, const std::vector<std::string>& sources,
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
  return first;
}

int PosixShellFiles::transfer(ShellOperation op, const std::string& source, const std::string& into,
                              int depth) {
  if (depth > kMaxDepth) return record(kErrorFilenameExcedRange);
  const auto attributes = m_files.attributes(source);
  if (!attributes) return m_lastError.get();
  const std::string name = lastComponent(source);
  if (name.empty() || name.back() == ':') return record(kErrorAccessDenied);  // a drive's root
  const bool folder = (*attributes & kAttrDirectory) != 0;
  // The destination folder named among the sources of a move is already where it is going.
  if (op == ShellOperation::Move && ascii::equalsIgnoreCase(source, into)) return 0;
  if (folder && (ascii::equalsIgnoreCase(source, into) || isInside(into, source))) {
    return record(kShellDestinationInside);
  }
  const std::string target = join(into, name);
  if (ascii::equalsIgnoreCase(source, target)) {
    return op == ShellOperation::Move ? 0 : record(kShellSameFile);
  }
  // The destination is made once something is known to go there.
  if (depth == 0 && !m_files.folderExists(into)) {
    if (Status created = m_files.createFolders(into); !created) return created.error;
  }
  const auto existing = m_files.attributes(target);
  if (folder) {
    if (existing && (*existing & kAttrDirectory) == 0) return record(kShellFolderOntoFile);
    if (op == ShellOperation::Copy) return copyFolder(source, target, depth);
    if (existing) return moveFolderContents(source, target, depth);
    Status moved = m_files.moveFile(source, target);
    if (moved.ok() || moved.error != kErrorNotSameDevice) return moved.error;
    // Another file system: the folder goes entry by entry.
    if (Status created = m_files.createFolder(target); !created) return created.error;
    return moveFolderContents(source, target, depth);
  }
  if (existing && (*existing & kAttrDirectory) != 0) return record(kShellFileOntoFolder);
  if (op == ShellOperation::Move) {
    if (existing) {
      if (int code = clearFileTarget(target); code != 0) return code;
    }
    return m_files.moveFile(source, target).error;
  }
  // A read-only file is replaced too: every question, this one included, is answered yes.
  if (existing && (*existing & kAttrReadOnly) != 0) {
    const uint32_t writable = *existing & ~static_cast<uint32_t>(kAttrReadOnly);
    if (Status cleared = m_files.setAttributes(target, writable); !cleared) return cleared.error;
  }
  return m_files.copyFile(source, target, false).error;
}

int PosixShellFiles::moveFolderContents(const std::string& source, const std::string& target,
                                        int depth) {
  int first = 0;
  for (const FindEntry& entry : m_files.find(join(source, "*"))) {
    if (isDotEntry(entry)) continue;
    int code = transfer(ShellOperation::Move, join(source, entry.name), target, depth + 1);
    if (first == 0) first = code;
  }
  if (first != 0) return first;
  // The emptied source goes, read-only or not.
  if (auto attributes = m_files.attributes(source); attributes && (*attributes & kAttrReadOnly)) {
    const uint32_t writable = *attributes & ~static_cast<uint32_t>(kAttrReadOnly);
    if (Status cleared = m_files.setAttributes(source, writable); !cleared) return cleared.error;
  }
  return m_files.removeFolder(source).error;
}

int PosixShellFiles::copyFolder(const std::string& source, const std::string& target, int depth) {
  if (!m_files.folderExists(target)) {
    if (Status created = m_files.createFolder(target); !created) return created.error;
  }
  int first = 0;
  for (const FindEntry& entry : m_files.find(join(source, "*"))) {
    if (isDotEntry(entry)) continue;
    int code = transfer(ShellOperation::Copy, join(source, entry.name), target, depth + 1);
    if (first == 0) first = code;
  }
  return first;
}

int PosixShellFiles::clearFileTarget(const std::string& target) {
  const auto attributes = m_files.attributes(target);
  if (attributes && (*attributes & kAttrReadOnly) != 0) {
    const uint32_t writable = *attributes & ~static_cast<uint32_t>(kAttrReadOnly);
    if (Status cleared = m_files.setAttributes(target, writable); !cleared) return cleared.error;
  }
  return m_files.deleteFile(target).error;
}

}  // namespace platform::posix
