// Files on the real Windows file system read and written in pieces, straight from and to disk.
#include <windows.h>

#include "platform/win32/FileSystem_win32.h"
#include "platform/win32/NativeFile_win32.h"
#include "platform/win32/Status_win32.h"
#include "platform/win32/WideText.h"

namespace platform::win32 {
namespace {

constexpr DWORD kPiece = 1 << 20;

class HandleReader final : public FileReader {
 public:
  HandleReader(HANDLE file, LastError& lastError) : m_file(file), m_lastError(lastError) {}
  std::optional<size_t> read(char* buffer, size_t size) override {
    DWORD got = 0;
    const DWORD wanted = size > kPiece ? kPiece : static_cast<DWORD>(size);
    if (!::ReadFile(m_file.get(), buffer, wanted, &got, nullptr)) {
      (void)recordLastError(m_lastError, kErrorReadFault);
      return std::nullopt;
    }
    return got;
  }

 private:
  Handle m_file;
  LastError& m_lastError;
};

class HandleWriter final : public FileWriter {
 public:
  HandleWriter(HANDLE file, LastError& lastError) : m_file(file), m_lastError(lastError) {}
  Status write(const char* data, size_t size) override {
    if (!writeAll(m_file.get(), data, size)) return recordLastError(m_lastError, kErrorWriteFault);
    return Status::success();
  }
  Status close() override {
    if (!m_file.reset()) return recordLastError(m_lastError, kErrorWriteFault);
    return Status::success();
  }

 private:
  Handle m_file;
  LastError& m_lastError;
};

}  // namespace

std::unique_ptr<FileReader> Win32FileSystem::openForReading(const std::string& path) {
  HANDLE file = ::CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    (void)failLast();
    return nullptr;
  }
  return std::make_unique<HandleReader>(file, m_lastError);
}

std::unique_ptr<FileWriter> Win32FileSystem::createForWriting(const std::string& path) {
  const std::wstring target = widen(path);
  // Checked here too: Wine run by root writes into a read-only file.
  if (const DWORD old = ::GetFileAttributesW(target.c_str());
      old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY) != 0) {
    (void)fail(kErrorAccessDenied);
    return nullptr;
  }
  // Opened, then cut: creating over a hidden or system file is refused by the system.
  Handle file(::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid() || !::SetEndOfFile(file.get())) {
    (void)recordLastError(m_lastError, kErrorWriteFault);
    return nullptr;
  }
  return std::make_unique<HandleWriter>(file.release(), m_lastError);
}

}  // namespace platform::win32
