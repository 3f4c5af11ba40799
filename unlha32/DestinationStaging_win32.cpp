// The staging folder of the Windows destination: a hidden folder inside it where members are
// written under plain numbers and moved into place; what a killed run left there is removed
// on the next open.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "unlha32/Destination.h"
#include "unlha32/StagingName.h"
#include "unlha32/WidePath_win32.h"
#include "unlha32/WinFiles_win32.h"
#include "unlha32/unlha32.h"

namespace unlha {

using win32::because;
using win32::fileTimeOf;
using win32::UniqueHandle;
using win32::writeAll;

int Destination::openStaging(std::string& reason) {
  if (!m_stagingPath.empty()) return 0;
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::string name = stagingName(::GetCurrentProcessId(), attempt);
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

// Only folders of exactly the staging pattern, at the top of the destination, never a link or
// junction: a user's entry of any other name stays. A staging folder holds plain files only.
void Destination::removeLeftovers() {
  std::vector<std::wstring> leftovers;
  WIN32_FIND_DATAW entry{};
  const HANDLE find = ::FindFirstFileW((m_root + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return;  // nothing listed, nothing removed
  do {
    const DWORD kinds = entry.dwFileAttributes;
    if ((kinds & FILE_ATTRIBUTE_DIRECTORY) != 0 && (kinds & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
        isStagingName(narrow(entry.cFileName))) {
      leftovers.push_back(m_root + L"\\" + entry.cFileName);
    }
  } while (::FindNextFileW(find, &entry));
  ::FindClose(find);
  for (const std::wstring& folder : leftovers) {
    WIN32_FIND_DATAW file{};
    const HANDLE files = ::FindFirstFileW((folder + L"\\*").c_str(), &file);
    if (files != INVALID_HANDLE_VALUE) {
      do {
        if ((file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
          // A failed removal leaves the folder for the next open: harmless.
          ::DeleteFileW((folder + L"\\" + file.cFileName).c_str());
        }
      } while (::FindNextFileW(files, &file));
      ::FindClose(files);
    }
    ::RemoveDirectoryW(folder.c_str());
  }
}

uint64_t Destination::freeBytes() const {
  ULARGE_INTEGER available{};
  if (!::GetDiskFreeSpaceExW(m_root.c_str(), &available, nullptr, nullptr)) {
    return std::numeric_limits<uint64_t>::max();
  }
  return available.QuadPart;
}

}  // namespace unlha
