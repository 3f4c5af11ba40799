// UTF-8 <-> UTF-16 through the system's CP_UTF8 conversions.
#include "platform/win32/WideText.h"

#include <windows.h>

namespace platform::win32 {
namespace {

// The conversion functions count in int; longer texts go through in pieces cut at a character.
constexpr size_t kPiece = 1 << 24;

size_t utf8PieceEnd(std::string_view text, size_t start) {
  size_t end = start + kPiece;
  if (end >= text.size()) return text.size();
  while (end > start && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return end > start ? end : start + kPiece;
}

size_t utf16PieceEnd(std::wstring_view text, size_t start) {
  size_t end = start + kPiece;
  if (end >= text.size()) return text.size();
  if (text[end] >= 0xDC00 && text[end] <= 0xDFFF) --end;  // keep a surrogate pair together
  return end;
}

}  // namespace

std::wstring widen(std::string_view utf8) {
  std::wstring out;
  for (size_t start = 0; start < utf8.size();) {
    const size_t end = utf8PieceEnd(utf8, start);
    const int length = static_cast<int>(end - start);
    const int need = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data() + start, length, nullptr, 0);
    const size_t at = out.size();
    out.resize(at + static_cast<size_t>(need));
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data() + start, length, out.data() + at, need);
    start = end;
  }
  return out;
}

std::string narrow(std::wstring_view utf16) {
  std::string out;
  for (size_t start = 0; start < utf16.size();) {
    const size_t end = utf16PieceEnd(utf16, start);
    const int length = static_cast<int>(end - start);
    const int need = ::WideCharToMultiByte(CP_UTF8, 0, utf16.data() + start, length, nullptr, 0,
                                           nullptr, nullptr);
    const size_t at = out.size();
    out.resize(at + static_cast<size_t>(need));
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data() + start, length, out.data() + at, need, nullptr,
                          nullptr);
    start = end;
  }
  return out;
}

std::string windowText(HWND hwnd) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return narrow(text);
}

}  // namespace platform::win32
