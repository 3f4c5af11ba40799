// The program's own window classes, each registered once per process.
#include "platform/win32/WindowClass_win32.h"

namespace platform::win32 {

void registerWindowClass(const wchar_t* name, WNDPROC proc, HICON icon) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (::GetClassInfoExW(instance, name, &wc)) return;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = name;
  ::RegisterClassExW(&wc);
}

}  // namespace platform::win32
