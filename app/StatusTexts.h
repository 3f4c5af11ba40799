// Texts of the message label that more than one handler shows.
#pragma once

namespace app {

// Shown when the window is ready for the user to start an update.
inline constexpr const char* kReadyMessage =
    "[アップデート開始]をクリックして作業を開始してください。";

}  // namespace app
