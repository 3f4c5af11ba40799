// The program's own window classes, each registered once per process.
#pragma once

#include <windows.h>

namespace platform::win32 {

// Registers `name` with `proc`, the dialog face colour and the arrow cursor, unless it already
// is; a failure shows when the window is made.
void registerWindowClass(const wchar_t* name, WNDPROC proc, HICON icon);

}  // namespace platform::win32
