// The destination folder on Windows: folders are reached by full wide-character path and each
// one on the way is checked, so that no link or junction beneath the destination is followed
// and nothing lands outside it.
#include <windows.h>

#include <filesystem>
#include <optional>
#include <system_error>
#include <unordered_set>

#include "unlha32/Destination.h"
#include "unlha32/WidePath_win32.h"
#include "unlha32/unlha32.h"

namespace unlha {
namespace {

std::string foldCase(const std::string& name) {
  std::string folded = name;
  for (char& c : folded) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  return folded;
}

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
    folded.emplace(foldCase(name), name);
  }
  std::optional<std::string> find(const std::string& name) const {
    if (exact.count(name) != 0) return name;
    const auto it = folded.find(foldCase(name));
    if (it == folded.end()) return std::nullopt;
    return it->second;
  }
};

std::unique_ptr<Destination> Destination::open(const std::string& nativeFolder, int& error) {
  std::wstring root = fullWidePath(nativeFolder);
  while (root.size() > 7 && root.back() == L'\\') root.pop_back();  // keep "\\?\C:\"
  std::error_code ec;
  if (!root.empty()) std::filesystem::create_directories(std::filesystem::path(root), ec);
  const DWORD attributes =
      root.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(root.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    error = UNLHA_ERROR_MAKEDIRECTORY;
    return nullptr;
  }
  error = 0;
  return std::unique_ptr<Destination>(new Destination(std::move(root)));
}

Destination::Destination(std::wstring root) : m_root(std::move(root)) {}

Destination::~Destination() = default;

Destination::Folder& Destination::folder(const std::string& key, const std::wstring& path) {
  auto& slot = m_folders[key];
  if (slot) return *slot;
  slot = std::make_unique<Folder>();
  WIN32_FIND_DATAW entry{};
  const HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE)
    return *slot;  // an unlisted folder: names are then taken as given
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..") slot->add(narrow(name));
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

int Destination::writeFile(const std::vector<std::string>& parts, std::time_t mtime,
                           const Producer& produce, std::string& reason) {
  if (parts.empty()) {
    reason = "no file name";
    return UNLHA_ERROR_UNSAFE_PATH;
  }
  std::wstring folderPath;
  std::string key;
  if (const int error = openFolders(parts, parts.size() - 1, folderPath, key, reason)) return error;
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

  const std::wstring temp = folderPath + L"\\.unlha32-" + std::to_wstring(::GetCurrentProcessId()) +
                            L"-" + std::to_wstring(++m_tempCounter) + L".tmp";
  UniqueHandle out(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out.valid()) {
    reason = because("cannot create file", target);
    return UNLHA_ERROR_CANNOT_WRITE;
  }
  int error =
      produce([&](const void* data, size_t size) { return writeAll(out.get(), data, size); });
  if (error == UNLHA_ERROR_CANNOT_WRITE) reason = because("cannot write file", target);
  if (error == 0 && mtime != 0) {
    const FILETIME written = fileTimeOf(mtime);
    ::SetFileTime(out.get(), nullptr, nullptr, &written);  // a courtesy: its failure is ignored
  }
  if (!out.close() && error == 0) {
    reason = because("cannot write file", target);
    error = UNLHA_ERROR_CANNOT_WRITE;
  }
  if (error == 0 && !::MoveFileExW(temp.c_str(), targetPath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    reason = because("cannot replace file", target);
    error = UNLHA_ERROR_CANNOT_WRITE;
  }
  if (error != 0) {
    ::DeleteFileW(temp.c_str());
    return error;
  }
  here.add(target);
  return 0;
}

}  // namespace unlha
