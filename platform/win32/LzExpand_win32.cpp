// SZDD expansion with the system's LZ functions, checked against the length in the header.
#include "platform/win32/LzExpand_win32.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <lzexpand.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

#include "platform/win32/NativeFile_win32.h"
#include "platform/win32/WideText.h"

namespace platform::win32 {
namespace {

constexpr std::array<unsigned char, 8> kSzddSignature = {'S',  'Z',  'D',  'D',
                                                         0x88, 0xF0, 0x27, 0x33};
constexpr DWORD kHeaderSize = 14;
constexpr unsigned char kMethodLzss = 'A';

// The file handle as the LZ functions take it. Handles fit in 32 bits on 64-bit Windows too.
INT asLzFile(HANDLE file) { return static_cast<INT>(reinterpret_cast<INT_PTR>(file)); }

// The code of the last failed call; `fallback` when it left none.
int lastCode(int fallback) {
  const DWORD code = ::GetLastError();
  return code != ERROR_SUCCESS ? static_cast<int>(code) : fallback;
}

// The length an SZDD header announces; nullopt for a file that is not compressed, and
// 0xFFFFFFFF with `damaged` set for a cut-off header or an unknown method.
std::optional<uint32_t> announcedLength(HANDLE source, bool& damaged, int& error) {
  std::array<unsigned char, kHeaderSize> header{};
  DWORD got = 0;
  if (!::ReadFile(source, header.data(), kHeaderSize, &got, nullptr)) {
    error = lastCode(kErrorReadFault);
    return std::nullopt;
  }
  ::SetFilePointer(source, 0, nullptr, FILE_BEGIN);
  if (got < kSzddSignature.size() ||
      std::memcmp(header.data(), kSzddSignature.data(), kSzddSignature.size()) != 0) {
    return std::nullopt;
  }
  damaged = got < kHeaderSize || header[8] != kMethodLzss;
  return static_cast<uint32_t>(header[10]) | static_cast<uint32_t>(header[11]) << 8 |
         static_cast<uint32_t>(header[12]) << 16 | static_cast<uint32_t>(header[13]) << 24;
}

int lzErrorCode(LONG result) {
  switch (result) {
    case LZERROR_BADINHANDLE:
    case LZERROR_READ:
      return lastCode(kErrorReadFault) == kErrorInvalidHandle ? kErrorReadFault
                                                              : lastCode(kErrorReadFault);
    case LZERROR_BADOUTHANDLE:
    case LZERROR_WRITE:
      return lastCode(kErrorWriteFault) == kErrorInvalidHandle ? kErrorWriteFault
                                                               : lastCode(kErrorWriteFault);
    case LZERROR_GLOBALLOC:
      return kErrorNotEnoughMemory;
    default:
      return kErrorInvalidData;
  }
}

// Expands or copies the open source into the open output; 0 or a code.
int expandOpen(HANDLE source, HANDLE output) {
  bool damaged = false;
  int error = 0;
  const auto length = announcedLength(source, damaged, error);
  if (error != 0) return error;
  if (damaged) return kErrorInvalidData;
  // The LZ state owns the source handle from here and closes it with LZClose.
  HANDLE lzSource = INVALID_HANDLE_VALUE;
  if (!::DuplicateHandle(::GetCurrentProcess(), source, ::GetCurrentProcess(), &lzSource, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
    return lastCode(kErrorReadFault);
  }
  const INT lz = ::LZInit(asLzFile(lzSource));
  if (lz < 0) {
    ::CloseHandle(lzSource);
    return lzErrorCode(lz);
  }
  ::SetLastError(ERROR_SUCCESS);
  const LONG written = ::LZCopy(lz, asLzFile(output));
  const int copyError = written < 0 ? lzErrorCode(written) : 0;
  ::LZClose(lz);
  if (copyError != 0) return copyError;
  if (!length) return 0;
  if (static_cast<uint64_t>(written) < *length) return kErrorInvalidData;
  if (static_cast<uint64_t>(written) > *length) {
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(*length);
    if (!::SetFilePointerEx(output, end, nullptr, FILE_BEGIN) || !::SetEndOfFile(output)) {
      return lastCode(kErrorWriteFault);
    }
  }
  return 0;
}

}  // namespace

Win32LzExpand::Win32LzExpand(LastError& lastError) : m_lastError(lastError) {}

Status Win32LzExpand::expand(const std::string& source, const std::string& target) {
  const std::wstring from = widen(source);
  const std::wstring to = widen(target);
  const DWORD targetAttributes = ::GetFileAttributesW(to.c_str());
  const bool targetExists = targetAttributes != INVALID_FILE_ATTRIBUTES;
  if (targetExists &&
      (targetAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
    return m_lastError.record(Status::failure(kErrorAccessDenied));
  }
  int error = 0;
  Handle input(::CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!input.valid()) error = lastCode(kErrorReadFault);
  const bool same = targetExists && input.valid() && sameFile(from, to);
  if (error == 0) {
    std::wstring temporary;
    Handle output = createBeside(to, temporary);
    if (!output.valid()) {
      error = lastCode(kErrorWriteFault);
    } else {
      error = expandOpen(input.get(), output.get());
      if (!output.reset() && error == 0) error = lastCode(kErrorWriteFault);
      (void)input.reset();
      if (error == 0 && targetExists) {
        // The new file keeps the hidden and system attributes of the one it replaces.
        const DWORD kept = targetAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        if (kept != 0) (void)::SetFileAttributesW(temporary.c_str(), kept);
      }
      if (error == 0 && !renameWritten(temporary, to, MOVEFILE_REPLACE_EXISTING)) {
        error = lastCode(kErrorWriteFault);
      }
      if (error != 0) (void)::DeleteFileW(temporary.c_str());
    }
  }
  if (error == 0) return Status::success();
  // A failed expansion leaves no old or partial target that could pass for a good one.
  if (targetExists && !same) (void)::DeleteFileW(to.c_str());
  return m_lastError.record(Status::failure(error));
}

}  // namespace platform::win32
