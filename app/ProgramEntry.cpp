// The program entry: creates the update window and runs the message loop until it closes.
#include "app/ProgramEntry.h"

#include "app/MainForm.h"

namespace app {

int RunProgram(platform::View& view, platform::Services& services, LhaBinding* lha) {
  TMainForm form(view, services, lha);
  if (form.terminated()) return 0;
  view.show();
  return view.runMessageLoop();
}

}  // namespace app
