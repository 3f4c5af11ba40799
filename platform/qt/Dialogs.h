// The program's modal message and input boxes on Qt Widgets.
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "platform/View.h"
#include "platform/WindowDesign.h"

class QWidget;

namespace platform::qt {

// The program writes line breaks as "\r" (or "\r\n"); Qt wants "\n".
QString boxText(const std::string& text);

// Shows a modal box over `parent` with the buttons `texts` name and waits for the answer.
// Escape, or closing the box, answers No for a yes/no box and Ok for an OK box, as a keyboard
// user of the program expects; Cancel only if the box went away without any button (its event
// loop was ended from outside).
MessageAnswer showMessageBox(QWidget* parent, const BoxButtonsDesign& texts, MessageKind kind,
                             const std::string& title, const std::string& text,
                             MessageButtons buttons);

// Shows a modal box with one line of text pre-filled with `value` (typed as dots when `password`);
// gives back the edited text after its OK button, nullopt after its cancel button, Escape or
// closing.
std::optional<std::string> showInputBox(QWidget* parent, const BoxButtonsDesign& texts,
                                        const std::string& title, const std::string& prompt,
                                        const std::string& value, bool password);

}  // namespace platform::qt
