// A second program for the workstation suite: holds files as a virus scanner does, or loads
// UNLHA32.DLL the way the update program does and says whether it found one.
//   helper hold <milliseconds> <file>...   opens each file without sharing, creates
//                                          "<first file>.held", waits, closes and exits 0
//   helper load-unlha [alone]              exits 1 when UNLHA32.DLL loaded, 0 when not; with
//                                          "alone" the loader runs without the program's
//                                          restricted search, so each guard is tried by itself
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "platform/win32/DllSearch_win32.h"
#include "platform/win32/Libraries_win32.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 3 || std::wcscmp(argv[2], L"alone") != 0) platform::win32::restrictLibrarySearch();
  if (argc >= 2 && std::wcscmp(argv[1], L"load-unlha") == 0) {
    platform::win32::Win32Libraries libraries;
    return libraries.load("UNLHA32.DLL") != nullptr ? 1 : 0;
  }
  if (argc < 4 || std::wcscmp(argv[1], L"hold") != 0) return 2;
  std::vector<HANDLE> held;
  for (int i = 3; i < argc; ++i) {
    HANDLE file = ::CreateFileW(argv[i], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    held.push_back(file);
  }
  const std::wstring ready = std::wstring(argv[3]) + L".held";
  HANDLE signal =
      ::CreateFileW(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (signal == INVALID_HANDLE_VALUE) return 4;
  ::CloseHandle(signal);
  ::Sleep(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
  for (HANDLE file : held) ::CloseHandle(file);
  return 0;
}
