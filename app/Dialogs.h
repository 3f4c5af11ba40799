// The program's message boxes, with the titles and buttons each kind carries.
#pragma once

#include <string>

#include "platform/View.h"

namespace app {

// A plain notice: no icon, one "OK" button.
void showNotice(platform::View& view, const std::string& text);
// An information box (title "情報").
void showInformation(platform::View& view, const std::string& text);
// An error box (title "エラー").
void showError(platform::View& view, const std::string& text);
// A confirmation (title "確認", "はい(&Y)" / "いいえ(&N)"); true unless the answer is "いいえ".
bool confirm(platform::View& view, const std::string& text);

// The platform's reason for an error code, as the system words it.
std::string systemErrorText(int code);

}  // namespace app
