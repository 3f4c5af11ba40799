// The destination folder on Windows: folders are reached by full wide-character path and each
// one on the way is checked, so that no link or junction beneath the destination is followed
// and nothing lands outside it.
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/AsciiCase.h"
#include "unlha32/Destination.h"
#include "unlha32/WidePath_win32.h"
#include "unlha32/WinFiles_win32.h"
#include "unlha32/unlha32.h"

namespace unlha {
using win32::because;
using win32::exists;
using win32::parentOf;

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
  std::unique_ptr<Destination> destination(new Destination(std::move(root), std::move(created)));
  destination->removeLeftovers();
  return destination;
}

Destination::Destination(std::wstring root, std::vector<std::wstring> created)
    : m_root(std::move(root)), m_created(std::move(created)) {}

Destination::~Destination() { finish(); }

FolderNames& Destination::folder(const std::string& key, const std::wstring& path) {
  auto& slot = m_folders[key];
  if (slot) return *slot;
  slot = std::make_unique<FolderNames>();
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
    FolderNames& here = folder(key, path);
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
  FolderNames& here = folder(key, folderPath);
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

}  // namespace unlha
