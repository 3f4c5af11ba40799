// Native-file helpers of the Win32 backends.
#include "platform/win32/NativeFile_win32.h"

#include <atomic>

namespace platform::win32 {
namespace {

constexpr DWORD kWritePiece = 1 << 20;
constexpr ULONGLONG kRenameRetryMs = 3000;
constexpr DWORD kRenameSliceMs = 50;

bool identity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
  Handle file(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return file.valid() && ::GetFileInformationByHandle(file.get(), &info) != 0;
}

}  // namespace

std::wstring folderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return L".";
  if (slash == 2 && path.size() > 1 && path[1] == L':') return path.substr(0, 3);
  return path.substr(0, slash);
}

Handle createBeside(const std::wstring& target, std::wstring& path) {
  static std::atomic<unsigned> counter{0};
  const std::wstring folder = folderOf(target);
  const std::wstring prefix = folder + (folder.back() == L'\\' ? L"" : L"\\") + L".~brevan-" +
                              std::to_wstring(::GetCurrentProcessId()) + L"-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = prefix + std::to_wstring(counter++);
    Handle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.valid() || ::GetLastError() != ERROR_FILE_EXISTS) return Handle(file.release());
  }
  return Handle();
}

bool writeAll(HANDLE file, const char* data, size_t size) {
  while (size > 0) {
    const DWORD piece = size > kWritePiece ? kWritePiece : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(file, data, piece, &written, nullptr)) return false;
    if (written == 0) {
      ::SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

bool renameWritten(const std::wstring& from, const std::wstring& to, DWORD flags) {
  const ULONGLONG start = ::GetTickCount64();
  for (;;) {
    if (::MoveFileExW(from.c_str(), to.c_str(), flags)) return true;
    const DWORD error = ::GetLastError();
    if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
        ::GetTickCount64() - start >= kRenameRetryMs) {
      ::SetLastError(error);
      return false;
    }
    ::Sleep(kRenameSliceMs);
  }
}

bool sameFile(const std::wstring& a, const std::wstring& b) {
  BY_HANDLE_FILE_INFORMATION first{};
  BY_HANDLE_FILE_INFORMATION second{};
  const DWORD saved = ::GetLastError();
  const bool same = identity(a, first) && identity(b, second) &&
                    first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
                    first.nFileIndexHigh == second.nFileIndexHigh &&
                    first.nFileIndexLow == second.nFileIndexLow;
  ::SetLastError(saved);
  return same;
}

}  // namespace platform::win32
