// The program's modal message and input boxes on Qt Widgets.
#pragma once

#include <QString>
#include <string>

#include "platform/View.h"

class QWidget;

namespace platform::qt {

// Button texts of the boxes, as the program's users know them.
inline constexpr const char* kOkText = "OK";
inline constexpr const char* kYesText = "はい(&Y)";
inline constexpr const char* kNoText = "いいえ(&N)";
inline constexpr const char* kCancelText = "キャンセル";

// The program writes line breaks as "\r" (or "\r\n"); Qt wants "\n".
QString boxText(const std::string& text);

// Shows a modal box over `parent` and waits for the answer. Escape, or closing the box, answers
// "いいえ(&N)" for a yes/no box and "OK" for an OK box, as a keyboard user of the program expects;
// Cancel only if the box went away without any button (its event loop was ended from outside).
MessageAnswer showMessageBox(QWidget* parent, MessageKind kind, const std::string& title,
                             const std::string& text, MessageButtons buttons);

// Shows a modal box with one line of text pre-filled with `value`; gives back the edited text
// after "OK", `value` after "キャンセル", Escape or closing.
std::string showInputBox(QWidget* parent, const std::string& title, const std::string& prompt,
                         const std::string& value);

}  // namespace platform::qt
