// The program's message and input boxes on Win32: its own captions whatever the system language.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/View.h"
#include "platform/WindowDesign.h"

namespace platform::win32 {

// The program writes line breaks as "\r" or "\r\n"; a Windows control wants "\r\n".
std::wstring boxText(const std::string& text);

// Shows a modal box over `owner` (none when null) with the kind's icon, and waits for the
// answer. Enter presses "はい(&Y)" or "OK"; Escape or the close box answers "いいえ(&N)" for a
// yes/no box and "OK" for an OK box; Cancel only when a quit request ended the box.
MessageAnswer showMessageBox(HWND owner, HFONT font, const BoxButtonsDesign& buttons,
                             MessageKind kind, const std::string& title, const std::string& text,
                             MessageButtons which);

// Shows a modal box with `prompt` over one edit line pre-filled with `value` (dots for each
// character when `password`); gives back the edited text after "OK" or Enter, nullopt after
// "キャンセル", Escape, the close box or a quit.
std::optional<std::string> showInputBox(HWND owner, HFONT font, const BoxButtonsDesign& buttons,
                                        const std::string& title, const std::string& prompt,
                                        const std::string& value, bool password);

}  // namespace platform::win32
