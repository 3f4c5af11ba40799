// The archive file on Windows file handles, opened by its wide-character path.
#include <windows.h>

#include <climits>

#include "unlha32/ArchiveFile.h"
#include "unlha32/WidePath_win32.h"
#include "unlha32/unlha32.h"

namespace unlha {

namespace {
HANDLE handleOf(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
}  // namespace

std::unique_ptr<ArchiveFile> ArchiveFile::open(const std::string& nativePath, int& error) {
  const std::wstring path = fullWidePath(nativePath);
  const DWORD attributes =
      path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD why = path.empty() ? ERROR_PATH_NOT_FOUND : ::GetLastError();
    error = (why == ERROR_FILE_NOT_FOUND || why == ERROR_PATH_NOT_FOUND)
                ? UNLHA_ERROR_NOT_FIND_ARC_FILE
                : UNLHA_ERROR_ARC_FILE_OPEN;
    return nullptr;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    error = UNLHA_ERROR_NOT_FIND_ARC_FILE;
    return nullptr;
  }
  const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  LARGE_INTEGER size{};
  if (file == INVALID_HANDLE_VALUE || !::GetFileSizeEx(file, &size)) {
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    error = UNLHA_ERROR_ARC_FILE_OPEN;
    return nullptr;
  }
  error = 0;
  return std::unique_ptr<ArchiveFile>(
      new ArchiveFile(reinterpret_cast<intptr_t>(file), static_cast<uint64_t>(size.QuadPart)));
}

ArchiveFile::~ArchiveFile() { ::CloseHandle(handleOf(m_handle)); }

long long ArchiveFile::read(void* data, size_t size) {
  DWORD done = 0;
  const DWORD wanted = size > INT_MAX ? static_cast<DWORD>(INT_MAX) : static_cast<DWORD>(size);
  if (!::ReadFile(handleOf(m_handle), data, wanted, &done, nullptr)) return -1;
  return done;
}

bool ArchiveFile::seek(uint64_t position) {
  LARGE_INTEGER to{};
  to.QuadPart = static_cast<LONGLONG>(position);
  return ::SetFilePointerEx(handleOf(m_handle), to, nullptr, FILE_BEGIN) != 0;
}

}  // namespace unlha
