// The fixed version information of a Windows program file, from the system's version calls.
#include "platform/win32/VersionInfo_win32.h"

#include <windows.h>

#include <vector>

#include "platform/win32/WideText.h"

namespace platform::win32 {

std::optional<FixedFileVersion> Win32VersionInfo::fileVersion(const std::string& path) {
  const std::wstring file = widen(path);
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<BYTE> block(size);
  if (!::GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return std::nullopt;
  void* value = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(block.data(), L"\\", &value, &length) || value == nullptr ||
      length < sizeof(VS_FIXEDFILEINFO)) {
    return std::nullopt;
  }
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  if (fixed->dwSignature != VS_FFI_SIGNATURE) return std::nullopt;
  return FixedFileVersion{fixed->dwFileVersionMS, fixed->dwFileVersionLS};
}

}  // namespace platform::win32
