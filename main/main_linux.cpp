// The program on Linux: the Qt window and the POSIX machine services wired to the update window.
#include <QApplication>
#include <filesystem>
#include <optional>
#include <system_error>

#include "app/ProgramEntry.h"
#include "app/WindowDesign.h"
#include "install/LhaBinding.h"
#include "main/ReleaseKey.h"
#include "platform/posix/HttpTransfer_curl.h"
#include "platform/posix/MachineFolder.h"
#include "platform/posix/PosixMachine.h"
#include "platform/posix/ReleaseCrypto_openssl.h"
#include "platform/qt/FontAlias.h"
#include "platform/qt/QtView.h"

namespace {

// The folder of the running program, where its own libraries and font alias sit.
std::string programFolder(const char* argv0) {
  std::error_code ec;
  auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) self = std::filesystem::absolute(argv0, ec);
  return self.parent_path().string();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = programFolder(argc > 0 ? argv[0] : "brevan-update");
  (void)platform::qt::installFontAlias(folder);  // without it the fallback face still shows text
  QApplication application(argc, argv);
  platform::posix::initHttpEngine();
  int status = 0;
  {
    platform::qt::QtView view(app::kMainForm);
    platform::posix::PosixMachine machine(platform::posix::MachineFolder::defaultPrefix(), folder,
                                          view);
    // Built with a publisher's key, the program installs only what that key signed.
    std::optional<platform::posix::OpenSslReleaseCrypto> release;
    if (!brevan::releasePublicKey().empty()) {
      release.emplace(brevan::releasePublicKey());
      machine.services().release = &*release;
    }
    // The archive library is bound before the window exists and freed after it has gone.
    LhaBinding lha(machine.libraries(),
                   [&view](const std::string& caption, const std::string& text) {
                     (void)view.messageBox(platform::MessageKind::Error, caption, text,
                                           platform::MessageButtons::Ok);
                   });
    status = app::RunProgram(view, machine.services(), &lha);
  }
  platform::posix::cleanupHttpEngine();
  return status;
}
