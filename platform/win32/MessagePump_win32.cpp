// The thread's window messages: run what is pending, or wait for the next with a time-out.
#include "platform/win32/MessagePump_win32.h"

namespace platform::win32 {

void dispatchMessage(MSG& msg, HWND keyboardWindow) {
  if (keyboardWindow != nullptr && ::IsWindow(keyboardWindow) &&
      (msg.hwnd == keyboardWindow || ::IsChild(keyboardWindow, msg.hwnd)) &&
      ::IsDialogMessageW(keyboardWindow, &msg)) {
    return;
  }
  ::TranslateMessage(&msg);
  ::DispatchMessageW(&msg);
}

bool runPendingMessages(HWND keyboardWindow) {
  MSG msg{};
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    dispatchMessage(msg, keyboardWindow);
  }
  return true;
}

bool waitForMessages(HWND keyboardWindow, unsigned timeoutMs) {
  // Also wakes for messages that arrived before the wait but are not yet taken.
  ::MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  return runPendingMessages(keyboardWindow);
}

}  // namespace platform::win32
