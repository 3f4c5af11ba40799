// The program entry: creates the update window and runs the message loop until it closes.
#pragma once

#include "platform/Services.h"
#include "platform/View.h"

class LhaBinding;

namespace app {

// Returns the program's exit status. Start-up that finds no installation ends it silently.
int RunProgram(platform::View& view, platform::Services& services, LhaBinding* lha);

}  // namespace app
