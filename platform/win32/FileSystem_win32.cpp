// Files and folders on the real Windows file system: attributes, listings, folders, times.
#include "platform/win32/FileSystem_win32.h"

#include <windows.h>

#include "platform/win32/NativeFile_win32.h"
#include "platform/win32/Status_win32.h"
#include "platform/win32/WideText.h"

namespace platform::win32 {
namespace {

constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

// The local date and time a DOS date and time stand for; false when they name no real moment.
bool dosTimeToSystemTime(uint32_t dosDateTime, SYSTEMTIME& local) {
  local = SYSTEMTIME{};
  local.wYear = static_cast<WORD>(1980 + ((dosDateTime >> 25) & 0x7F));
  local.wMonth = static_cast<WORD>((dosDateTime >> 21) & 0x0F);
  local.wDay = static_cast<WORD>((dosDateTime >> 16) & 0x1F);
  local.wHour = static_cast<WORD>((dosDateTime >> 11) & 0x1F);
  local.wMinute = static_cast<WORD>((dosDateTime >> 5) & 0x3F);
  local.wSecond = static_cast<WORD>((dosDateTime & 0x1F) * 2);
  if (local.wHour > 23 || local.wMinute > 59 || local.wSecond > 59) return false;
  // The conversion checks the month and the day of the month, leap years included.
  FILETIME check{};
  return ::SystemTimeToFileTime(&local, &check) != 0;
}

}  // namespace

Win32FileSystem::Win32FileSystem(LastError& lastError) : m_lastError(lastError) {}

Status Win32FileSystem::failLast() { return recordLastError(m_lastError); }

std::optional<uint32_t> Win32FileSystem::attributes(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(widen(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    (void)failLast();
    return std::nullopt;
  }
  return attributes;
}

Status Win32FileSystem::setAttributes(const std::string& path, uint32_t attributes) {
  DWORD wanted = attributes & kSettableAttributes;
  if (wanted == 0) wanted = FILE_ATTRIBUTE_NORMAL;
  if (!::SetFileAttributesW(widen(path).c_str(), wanted)) return failLast();
  return Status::success();
}

std::vector<FindEntry> Win32FileSystem::find(const std::string& mask) {
  std::vector<FindEntry> entries;
  WIN32_FIND_DATAW data{};
  HANDLE search = ::FindFirstFileW(widen(mask).c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) {
    (void)failLast();
    return entries;
  }
  do {
    const uint64_t size =
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ? 0
            : (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entries.push_back(FindEntry{narrow(data.cFileName), data.dwFileAttributes, size});
  } while (::FindNextFileW(search, &data));
  ::FindClose(search);
  return entries;
}

Status Win32FileSystem::deleteFile(const std::string& path) {
  if (!::DeleteFileW(widen(path).c_str())) return failLast();
  return Status::success();
}

Status Win32FileSystem::moveFile(const std::string& from, const std::string& to) {
  const std::wstring source = widen(fullPath(from));
  const std::wstring target = widen(fullPath(to));
  if (source.empty() || target.empty()) return Status::failure(m_lastError.get());
  // A folder moved into itself (the system's answer to it differs between versions).
  if (target.size() > source.size() && target[source.size()] == L'\\' &&
      ::CompareStringOrdinal(source.c_str(), static_cast<int>(source.size()), target.c_str(),
                             static_cast<int>(source.size()), TRUE) == CSTR_EQUAL) {
    return fail(kErrorSharingViolation);
  }
  if (source != target && sameFile(source, target)) {
    // Only the letter case changes; Wine takes that for a rename onto itself and leaves the
    // name as it was, so the entry goes through a name of its own on the way.
    std::wstring temporary;
    (void)createBeside(source, temporary);
    if (!::DeleteFileW(temporary.c_str()) || !::MoveFileExW(source.c_str(), temporary.c_str(), 0)) {
      return failLast();
    }
    if (!::MoveFileExW(temporary.c_str(), target.c_str(), 0)) {
      const Status failed = failLast();
      (void)::MoveFileExW(temporary.c_str(), source.c_str(), 0);
      return failed;
    }
    return Status::success();
  }
  if (!::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED)) return failLast();
  return Status::success();
}

Status Win32FileSystem::createFolder(const std::string& path) {
  if (!::CreateDirectoryW(widen(path).c_str(), nullptr)) return failLast();
  return Status::success();
}

Status Win32FileSystem::createFolders(const std::string& path) {
  const std::string full = fullPath(path);
  if (full.empty()) return Status::failure(m_lastError.get());
  const std::wstring wide = widen(full);
  // The root ("C:\" or "\\server\share\") is not created; the folders after it are.
  size_t start = 3;
  if (wide.rfind(L"\\\\", 0) == 0) {
    start = wide.find(L'\\', 2);
    start = start == std::wstring::npos ? wide.size() : wide.find(L'\\', start + 1);
    start = start == std::wstring::npos ? wide.size() : start + 1;
  }
  while (start < wide.size()) {
    size_t end = wide.find(L'\\', start);
    if (end == std::wstring::npos) end = wide.size();
    const std::wstring step = wide.substr(0, end);
    const DWORD attributes = ::GetFileAttributesW(step.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      if (!::CreateDirectoryW(step.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        return failLast();
      }
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      return fail(end == wide.size() ? kErrorAlreadyExists : kErrorPathNotFound);
    }
    start = end + 1;
  }
  return Status::success();
}

Status Win32FileSystem::removeFolder(const std::string& path) {
  const std::wstring wide = widen(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
      (attributes & FILE_ATTRIBUTE_READONLY)) {
    return fail(kErrorAccessDenied);
  }
  if (!::RemoveDirectoryW(wide.c_str())) return failLast();
  return Status::success();
}

Status Win32FileSystem::setDosTime(const std::string& path, uint32_t dosDateTime) {
  SYSTEMTIME local{};
  SYSTEMTIME utc{};
  FILETIME when{};
  if (!dosTimeToSystemTime(dosDateTime, local)) return fail(kErrorInvalidParameter);
  if (!::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) ||
      !::SystemTimeToFileTime(&utc, &when)) {
    return fail(kErrorInvalidParameter);
  }
  Handle file(::CreateFileW(widen(path).c_str(), FILE_WRITE_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.valid() || !::SetFileTime(file.get(), nullptr, nullptr, &when)) return failLast();
  return Status::success();
}

std::optional<uint64_t> Win32FileSystem::fileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data)) {
    (void)failLast();
    return std::nullopt;
  }
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    (void)fail(kErrorAccessDenied);
    return std::nullopt;
  }
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string Win32FileSystem::fullPath(const std::string& path) {
  const std::wstring wide = widen(path);
  if (wide.empty() || wide.find(L'\0') != std::wstring::npos) {
    (void)fail(kErrorInvalidName);
    return {};
  }
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) {
      (void)failLast();
      return {};
    }
    if (length < full.size()) {
      full.resize(length);
      return narrow(full);
    }
    full.resize(length);
  }
}

}  // namespace platform::win32
