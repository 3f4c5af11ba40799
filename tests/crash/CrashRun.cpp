// One update as a user runs it, without a screen: the real core on the real machine services and
// archive library, a view double that answers every box with OK or Yes. The crash test runs it
// under strace, which kills it at a chosen rename.
//
//   BREVAN_PREFIX=<machine folder> brevan-crash-run <program folder> <ticks: 15 of 0/1>
//
// The machine folder comes from the environment, as for the program and its archive library.
// Prints every box it answered, one per line; exits 0 when the update completed without an
// error box, 1 when it did not, 2 on wrong arguments.
#include <iostream>
#include <string>

#include "app/MainForm.h"
#include "install/LhaBinding.h"
#include "platform/posix/HttpTransfer_curl.h"
#include "platform/posix/MachineFolder.h"
#include "platform/posix/PosixMachine.h"
#include "tests/doubles/FakeClock.h"
#include "tests/doubles/FakeView.h"

namespace {

int run(const std::string& programFolder, const std::string& ticks) {
  test::FakeView view;
  platform::posix::PosixMachine machine(platform::posix::MachineFolder::defaultPrefix(),
                                        programFolder, view);
  // The waits between expansion attempts end at once.
  test::FakeClock clock;
  platform::Services& real = machine.services();
  platform::Services services{real.files, real.registry,  real.folders, real.profiles,
                              real.codec, real.versions,  clock,        real.lastError,
                              real.shell, real.processes, real.lz,      real.makeHttp};
  LhaBinding lha(machine.libraries(), [&view](const std::string& caption, const std::string& text) {
    (void)view.messageBox(platform::MessageKind::Error, caption, text,
                          platform::MessageButtons::Ok);
  });
  TMainForm form(view, services, &lha);
  if (form.terminated()) return 1;
  view.events->onActivate();
  for (int i = 0; i < view.itemCount(); ++i) {
    if (view.isChecked(i) != (ticks[static_cast<size_t>(i)] == '1')) view.clickItem(i);
  }
  view.events->onDownLoadClick();
  bool completed = false;
  bool failed = false;
  for (const auto& message : view.messages) {
    std::cout << message.title << ": " << message.text << "\n";
    completed = message.text == "アップデートが完了しました。終了します。";
    failed = failed || message.kind == platform::MessageKind::Error;
  }
  return completed && !failed && form.closed() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::string(argv[2]).size() != 15) {
    std::cerr << "usage: brevan-crash-run <program folder> <15 ticks of 0/1>\n";
    return 2;
  }
  platform::posix::initHttpEngine();
  const int status = run(argv[1], argv[2]);
  platform::posix::cleanupHttpEngine();
  return status;
}
