// Where the program's libraries come from: never the current folder or PATH.
#pragma once

#include <string>

namespace platform::win32 {

// Run first thing at start: libraries loaded by name come from the program's folder and the
// system folder only (no current folder, no PATH), and the system libraries the program takes
// late (VERSION, LZ32, WININET, COMCTL32, which are not among the system's known libraries)
// from the system folder only, so a copy planted beside the program is never used.
void restrictLibrarySearch();

// The folder of the running program, and the system folder (SysWOW64 for a 32-bit program on
// 64-bit Windows, through the system's redirection), without a trailing separator.
std::wstring programFolder();
std::wstring systemFolder();

}  // namespace platform::win32
