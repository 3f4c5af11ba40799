// The thread's window messages: run what is pending, or wait for the next with a time-out.
#pragma once

#include <windows.h>

namespace platform::win32 {

// Hands one message to its window. Keys for `keyboardWindow` and its controls go through the
// dialog keyboard handling first (tab order, arrows, mnemonics), as in any Windows dialog.
void dispatchMessage(MSG& msg, HWND keyboardWindow);

// Runs every pending message once. A quit request taken from the queue stops the run and is
// posted again for the loop that owns it; the result is then false.
bool runPendingMessages(HWND keyboardWindow);

// Waits until a message arrives or `timeoutMs` have passed, then runs every pending message.
bool waitForMessages(HWND keyboardWindow, unsigned timeoutMs);

}  // namespace platform::win32
