// The destination folder on Windows: folders are reached by full wide-character path and each
// one on the way is checked, so that no link or junction beneath the destination is followed
// and nothing lands outside it; members wait in a hidden staging folder inside it.
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <unordered_set>

#include "platform/AsciiCase.h"
#include "unlha32/Destination.h"
#include "unlha32/WidePath_win32.h"
#include "unlha32/unlha32.h"

namespace unlha {
namespace {

std::string because(const std::string& what, const std::string& name) {
  return what + ": " + name + " (error " + std::to_string(::GetLastError()) + ")";
}

// Seconds since 1970 as a Windows file time (100 ns since 1601).
FILETIME fileTimeOf(std::time_t seconds) {
  const ULONGLONG ticks = (static_cast<ULONGLONG>(seconds) + 11644473600ULL) * 10000000ULL;
  FILETIME time{};
  time.dwLowDateTime = static_cast<DWORD>(ticks);
  time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return time;
}

class UniqueHandle {
 public:
  explicit UniqueHandle(HANDLE handle) : m_handle(handle) {}
  ~UniqueHandle() { close(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  HANDLE get() const { return m_handle; }
  bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
  bool close() {
    const bool ok = !valid() || ::CloseHandle(m_handle) != 0;
    m_handle = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE m_handle;
};

// The folder that holds a full path, or an empty text at the path's root ("\\?\C:\").
std::wstring parentOf(const std::wstring& path) {
  const size_t cut = path.find_last_of(L'\\');
  if (cut == std::wstring::npos || cut < 7) return {};
  return path.substr(0, cut);
}

bool exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool writeAll(HANDLE file, const void* data, size_t size) {
  const auto* p = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(file, p, chunk, &written, nullptr) || written == 0) return false;
    p += written;
    size -= written;
  }
  return true;
}

}  // namespace

// The names in one folder, found without regard to ASCII case; an exact match comes first.
struct Destination::Folder {
  std::unordered_set<std::string> exact;
  std::unordered_map<std::string, std::string> folded;

  void add(const std::string& name) {
    exact.insert(name);
    folded.emplace(platform::ascii::toLower(name), name);
  }
  std::optional<std::string> find(const std::string& name) const {
    if (exact.count(name) != 0) return name;
    const auto it = folded.find(platform::ascii::toLower(name));
    if (it == folded.end()) return std::nullopt;
    return it->second;
  }
};

std::unique_ptr<Destination> Destination::open(const std::string& nativeFolder, int& error) {
  std::wstring root = fullWidePath(nativeFolder);
  while (root.size() > 7 && root.back() == L'\\') root.pop_back();  // keep "\\?\C:\"
  std::vector<std::wstring> created;
  for (std::wstring p = root; !p.empty() && !exists(p); p = parentOf(p)) created.push_back(p);
  std::error_code ec;
  if (!root.empty()) std::filesystem::create_directories(std::filesystem::path(root), ec);
  const DWORD attributes =
      root.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(root.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    for (const std::wstring& folder : created) ::RemoveDirectoryW(folder.c_str());
    error = UNLHA_ERROR_MAKEDIRECTORY;
    return nullptr;
  }
  error = 0;
  return std::unique_ptr<Destination>(new Destination(std::move(root), std::move(created)));
}

Destination::Destination(std::wstring root, std::vector<std::wstring> created)
    : m_root(std::move(root)), m_created(std::move(created)) {}

Destination::~Destination() { finish(); }

Destination::Folder& Destination::folder(const std::string& key, const std::wstring& path) {
  auto& slot = m_folders[key];
  if (slot) return *slot;
  slot = std::make_unique<Folder>();
  WIN32_FIND_DATAW entry{};
  const HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return *slot;  // unlisted: names are then taken as given
  do {
    const std::string name = narrow(entry.cFileName);
    if (name != "." && name != ".." && !(key.empty() && name == m_stagingName)) slot->add(name);
  } while (::FindNextFileW(find, &entry));
  ::FindClose(find);
  return *slot;
}

int Destination::openFolders(const std::vector<std::string>& parts, size_t count,
                             std::wstring& path, std::string& key, std::string& reason) {
  path = m_root;
  key.clear();
  for (size_t i = 0; i < count; ++i) {
    Folder& here = folder(key, path);
    const auto found = here.find(parts[i]);
    const std::string name = found.value_or(parts[i]);
    if (i == 0 && !m_stagingName.empty() &&
        platform::ascii::toLower(name) == platform::ascii::toLower(m_stagingName)) {
      reason = "reserved name: " + name;
      return UNLHA_ERROR_UNSAFE_PATH;
    }
    const std::wstring next = path + L"\\" + widen(name);
    if (!found) {
      if (!::CreateDirectoryW(next.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        reason = because("cannot create folder", name);
        return UNLHA_ERROR_MAKEDIRECTORY;
      }
      here.add(name);
    }
    const DWORD attributes = ::GetFileAttributesW(next.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      reason = "symbolic link on the way: " + name;
      return UNLHA_ERROR_UNSAFE_PATH;
    }
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      reason = because("not a folder", name);
      return UNLHA_ERROR_MAKEDIRECTORY;
    }
    path = next;
    key += '/';
    key += name;
  }
  return 0;
}

int Destination::makeFolders(const std::vector<std::string>& parts, std::string& reason) {
  std::wstring path;
  std::string key;
  return openFolders(parts, parts.size(), path, key, reason);
}

int Destination::openStaging(std::string& reason) {
  if (!m_stagingPath.empty()) return 0;
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::string name = ".unlha32-" + std::to_string(::GetCurrentProcessId()) + "-" +
                             std::to_string(attempt) + ".part";
    const std::wstring path = m_root + L"\\" + widen(name);
    if (!::CreateDirectoryW(path.c_str(), nullptr)) {
      if (::GetLastError() == ERROR_ALREADY_EXISTS) continue;
      break;
    }
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN);  // a courtesy: failure ignored
    m_stagingPath = path;
    m_stagingName = name;
    return 0;
  }
  reason = because("cannot create folder", "staging folder");
  return UNLHA_ERROR_CANNOT_WRITE;
}

int Destination::stage(std::time_t mtime, const Producer& produce, const std::string& name,
                       std::string& staged, std::string& reason) {
  if (const int error = openStaging(reason)) return error;
  staged = std::to_string(m_stagedCounter++);
  const std::wstring path = m_stagingPath + L"\\" + widen(staged);
  UniqueHandle out(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out.valid()) {
    reason = because("cannot create file", name);
    return UNLHA_ERROR_CANNOT_WRITE;
  }
  m_staged.push_back(staged);
  int error =
      produce([&](const void* data, size_t size) { return writeAll(out.get(), data, size); });
  if (error == UNLHA_ERROR_CANNOT_WRITE) reason = because("cannot write file", name);
  if (error == 0 && mtime != 0) {
    const FILETIME written = fileTimeOf(mtime);
    ::SetFileTime(out.get(), nullptr, nullptr, &written);  // a courtesy: failure ignored
  }
  if (!out.close() && error == 0) {
    reason = because("cannot write file", name);
    error = UNLHA_ERROR_CANNOT_WRITE;
  }
  if (error != 0) {
    ::DeleteFileW(path.c_str());
    m_staged.pop_back();
  }
  return error;
}

int Destination::place(const std::string& staged, const std::vector<std::string>& parts,
                       std::string& reason) {
  if (parts.empty()) {
    reason = "no file name";
    return UNLHA_ERROR_UNSAFE_PATH;
  }
  std::wstring folderPath;
  std::string key;
  if (const int error = openFolders(parts, parts.size() - 1, folderPath, key, reason)) {
    return error;
  }
  Folder& here = folder(key, folderPath);
  const std::string target = here.find(parts.back()).value_or(parts.back());
  const std::wstring targetPath = folderPath + L"\\" + widen(target);

  const DWORD attributes = ::GetFileAttributesW(targetPath.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      reason = "symbolic link not replaced: " + target;
      return UNLHA_ERROR_UNSAFE_PATH;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      reason = "not a file: " + target;
      return UNLHA_ERROR_CANNOT_WRITE;
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      reason = "read-only file not replaced: " + target;
      return UNLHA_ERROR_READ_ONLY;
    }
  }
  const std::wstring stagedPath = m_stagingPath + L"\\" + widen(staged);
  if (!::MoveFileExW(stagedPath.c_str(), targetPath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    reason = because("cannot write file", target);
    return UNLHA_ERROR_CANNOT_WRITE;
  }
  std::erase(m_staged, staged);
  here.add(target);
  return 0;
}

void Destination::finish() {
  if (m_stagingPath.empty()) return;
  for (const std::string& name : m_staged) {
    ::DeleteFileW((m_stagingPath + L"\\" + widen(name)).c_str());
  }
  m_staged.clear();
  ::RemoveDirectoryW(m_stagingPath.c_str());
  m_stagingPath.clear();
  m_stagingName.clear();
}

void Destination::discard() {
  finish();
  // Innermost first; a folder that is not empty (someone else's) stays.
  for (const std::wstring& folder : m_created) ::RemoveDirectoryW(folder.c_str());
  m_created.clear();
}

}  // namespace unlha
