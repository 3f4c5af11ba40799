// Files on the real Windows file system: reading, writing and copying them whole.
#include <windows.h>

#include <vector>

#include "platform/win32/FileSystem_win32.h"
#include "platform/win32/NativeFile_win32.h"
#include "platform/win32/Status_win32.h"
#include "platform/win32/WideText.h"

namespace platform::win32 {
namespace {

constexpr DWORD kReadPiece = 256 * 1024;
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// 0 when an existing target may be replaced (or there is none), else the code refusing it.
int replaceableTarget(DWORD attributes) {
  if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
  const DWORD refused = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY;
  return (attributes & refused) != 0 ? kErrorAccessDenied : 0;
}

}  // namespace

std::optional<std::string> Win32FileSystem::readFile(const std::string& path) {
  Handle file(::CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size{};
  if (!file.valid() || !::GetFileSizeEx(file.get(), &size)) {
    (void)failLast();
    return std::nullopt;
  }
  std::string bytes;
  bytes.reserve(static_cast<size_t>(size.QuadPart));
  std::vector<char> buffer(kReadPiece);
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), buffer.data(), kReadPiece, &got, nullptr)) {
      (void)recordLastError(m_lastError, kErrorReadFault);
      return std::nullopt;
    }
    if (got == 0) return bytes;
    bytes.append(buffer.data(), got);
  }
}

Status Win32FileSystem::writeFile(const std::string& path, const std::string& bytes) {
  auto writer = createForWriting(path);
  if (!writer) return Status::failure(m_lastError.get());
  if (Status written = writer->write(bytes.data(), bytes.size()); !written) return written;
  return writer->close();
}

Status Win32FileSystem::replaceFileAtomically(const std::string& path, const std::string& bytes) {
  const std::wstring target = widen(path);
  const DWORD old = ::GetFileAttributesW(target.c_str());
  if (int code = replaceableTarget(old); code != 0) return fail(code);
  std::wstring temporary;
  Handle file = createBeside(target, temporary);
  if (!file.valid()) return failLast();
  bool done = writeAll(file.get(), bytes.data(), bytes.size()) && ::FlushFileBuffers(file.get()) &&
              file.reset();
  if (done && old != INVALID_FILE_ATTRIBUTES && (old & kKeptAttributes) != 0) {
    done = ::SetFileAttributesW(temporary.c_str(), old & kKeptAttributes) != 0;
  }
  if (done) {
    done = renameWritten(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  }
  if (done) return Status::success();
  const Status failed = recordLastError(m_lastError, kErrorWriteFault);
  (void)file.reset();
  (void)::DeleteFileW(temporary.c_str());
  return failed;
}

Status Win32FileSystem::probeWritable(const std::string& folder) {
  std::wstring probe;
  Handle file = createBeside(widen(folder) + L"\\probe", probe);
  if (!file.valid()) return failLast();
  if (!file.reset() || !::DeleteFileW(probe.c_str())) return failLast();
  return Status::success();
}

Status Win32FileSystem::copyFile(const std::string& from, const std::string& to,
                                 bool failIfExists) {
  const std::wstring source = widen(from);
  const std::wstring target = widen(to);
  const DWORD sourceAttributes = ::GetFileAttributesW(source.c_str());
  if (sourceAttributes == INVALID_FILE_ATTRIBUTES) return failLast();
  if (sourceAttributes & FILE_ATTRIBUTE_DIRECTORY) return fail(kErrorAccessDenied);
  const DWORD targetAttributes = ::GetFileAttributesW(target.c_str());
  if (targetAttributes != INVALID_FILE_ATTRIBUTES) {
    if (failIfExists) return fail(kErrorFileExists);
    // Copying a file onto itself would lose the only copy of it.
    if (sameFile(source, target)) return fail(kErrorSharingViolation);
    if (int code = replaceableTarget(targetAttributes); code != 0) return fail(code);
  }
  std::wstring temporary;
  {
    Handle place = createBeside(target, temporary);
    if (!place.valid()) return failLast();
  }
  // The copy takes the source's attributes and time; then it takes the target's name.
  bool done = ::CopyFileW(source.c_str(), temporary.c_str(), FALSE) != 0;
  if (done) {
    done = renameWritten(temporary, target, failIfExists ? 0 : MOVEFILE_REPLACE_EXISTING);
  }
  if (done) return Status::success();
  const DWORD error = ::GetLastError();
  (void)::SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
  (void)::DeleteFileW(temporary.c_str());
  if (error == ERROR_ALREADY_EXISTS) return fail(kErrorFileExists);
  return fail(error != ERROR_SUCCESS ? static_cast<int>(error) : kErrorWriteFault);
}

}  // namespace platform::win32
