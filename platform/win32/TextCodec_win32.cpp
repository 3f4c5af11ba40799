// CP932 through MultiByteToWideChar/WideCharToMultiByte with code page 932 and CP_UTF8.
#include "platform/win32/TextCodec_win32.h"

#include <windows.h>

#include <climits>

namespace platform::win32 {
namespace {

constexpr UINT kCp932 = 932;

std::wstring toWide(UINT codePage, const std::string& text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int size = static_cast<int>(text.size());
  const int n = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), n);
  return wide;
}

std::string fromWide(UINT codePage, const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* fallback = codePage == CP_UTF8 ? nullptr : "?";
  const int n =
      ::WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, fallback, nullptr);
  std::string text(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(codePage, flags, wide.data(), size, text.data(), n, fallback, nullptr);
  return text;
}

}  // namespace

std::string Cp932Codec::toCp932(const std::string& utf8) {
  return fromWide(kCp932, toWide(CP_UTF8, utf8));
}

std::string Cp932Codec::fromCp932(const std::string& bytes) {
  return fromWide(CP_UTF8, toWide(kCp932, bytes));
}

}  // namespace platform::win32
