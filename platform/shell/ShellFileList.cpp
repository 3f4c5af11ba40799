// The shell's silent move and copy of file lists, as far as every machine does it alike.
#include "platform/shell/ShellFileList.h"

#include <string_view>

#include "platform/AsciiCase.h"

namespace platform::shell {
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

}  // namespace

ShellFileList::ShellFileList(FileSystem& files, LastError& lastError)
    : m_files(files), m_lastError(lastError) {}

std::string ShellFileList::join(const std::string& folder, const std::string& name) {
  return !folder.empty() && folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

bool ShellFileList::isDotEntry(const FindEntry& entry) {
  return entry.name == "." || entry.name == "..";
}

int ShellFileList::record(int code) {
  if (code != 0) m_lastError.set(code);
  return code;
}

int ShellFileList::makeWritable(const std::string& path, std::optional<uint32_t> attributes) {
  if (!attributes || (*attributes & kAttrReadOnly) == 0) return 0;
  const uint32_t writable = *attributes & ~static_cast<uint32_t>(kAttrReadOnly);
  return m_files.setAttributes(path, writable).error;
}

int ShellFileList::fileOperation(ShellOperation op, const std::vector<std::string>& sources,
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

int ShellFileList::transfer(ShellOperation op, const std::string& source, const std::string& into,
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
  if (folder && existing) return mergeFolder(op, source, target, depth);
  return place(op, source, into, target, folder, existing, depth);
}

int ShellFileList::mergeFolder(ShellOperation op, const std::string& source,
                               const std::string& target, int depth) {
  int first = 0;
  for (const FindEntry& entry : m_files.find(join(source, "*"))) {
    if (isDotEntry(entry)) continue;
    const int code = transfer(op, join(source, entry.name), target, depth + 1);
    if (first == 0) first = code;
  }
  if (first != 0 || op == ShellOperation::Copy) return first;
  // The emptied source goes, read-only or not.
  if (int code = makeWritable(source, m_files.attributes(source)); code != 0) return code;
  return m_files.removeFolder(source).error;
}

}  // namespace platform::shell
