// Native paths as wide-character Windows paths in the "\\?\" form.
#include "unlha32/WidePath_win32.h"

#include <windows.h>

namespace unlha {

std::wstring fullWidePath(const std::string& nativePath) {
  const std::wstring path = widen(nativePath);
  if (path.empty()) return {};
  if (path.rfind(L"\\\\?\\", 0) == 0) return path;
  const DWORD n = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) return {};
  std::wstring full(n, L'\0');
  const DWORD written = ::GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
  if (written == 0 || written >= n) return {};
  full.resize(written);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace unlha
