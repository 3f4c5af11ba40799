// Steps of a user's run that every end-to-end suite takes: past the start-up notice, the start
// button, the settled window, the installed tree checked.
#pragma once

#include <string>

#include "tests/e2e/UpdateRun.h"
#include "tools/sample-release/Tree.h"

namespace e2e {

// The start button "アップデート開始", and the cancel button in the same place.
inline constexpr int kStartX = 386 + 55, kStartY = 255 + 12;

// The start-up notice comes before the window; OK lets the window show. The window, or 0 (with
// a failure noted) when it did not show.
unsigned long passNotice(UpdateRun& run);
// Waits until the window's drawing has settled (two equal pictures in a row).
void waitForPaint(UpdateRun& run, unsigned long window);
// The installed machine against the expected one, every difference listed.
void expectTree(const sample::Tree& expected, const UpdateRun& run);

}  // namespace e2e
