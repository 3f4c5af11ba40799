// The program on Windows: the Win32 window and machine services wired to the update window.
#include <windows.h>

#include <exception>
#include <memory>
#include <optional>

#include "app/Dialogs.h"
#include "app/Errors.h"
#include "app/ProgramEntry.h"
#include "app/WindowDesign.h"
#include "install/LhaBinding.h"
#include "main/ReleaseKey.h"
#include "platform/win32/DllSearch_win32.h"
#include "platform/win32/HttpTransfer_wininet.h"
#include "platform/win32/ReleaseCrypto_cng.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Machine.h"
#include "platform/win32/Win32View.h"
#include "platform/win32/WindowGuard_win32.h"

namespace {

int runProgram() {
  platform::win32::Win32View view(app::kMainForm);
  platform::win32::Win32Machine machine(
      view,
      [](platform::TextCodec& codec, platform::MessagePump& pump, platform::LastError& lastError) {
        return std::make_unique<platform::win32::WinInetTransfer>(codec, pump, lastError);
      });
  // A failure inside a window's handler ends that handler, not the program: it is shown.
  platform::win32::setWindowFailureReport([&view](const std::string& text) {
    app::showError(view, text.empty() ? kUnexpectedFailureText : text);
  });
  // Built with a publisher's key, the program installs only what that key signed.
  std::optional<platform::win32::CngReleaseCrypto> release;
  if (!brevan::releasePublicKey().empty()) {
    release.emplace(brevan::releasePublicKey());
    machine.services().release = &*release;
  }
  // The archive library is bound before the window exists and freed after it has gone.
  LhaBinding lha(machine.libraries(), [&view](const std::string& caption, const std::string& text) {
    (void)view.messageBox(platform::MessageKind::Error, caption, text,
                          platform::MessageButtons::Ok);
  });
  const int code = app::RunProgram(view, machine.services(), &lha);
  platform::win32::setWindowFailureReport(nullptr);
  return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before any library is loaded: none from the current folder, PATH or a planted copy.
  platform::win32::restrictLibrarySearch();
  try {
    return runProgram();
  } catch (const std::exception& e) {
    // Failures before the update window exists end here; the program's own boxes need it.
    ::MessageBoxW(nullptr, platform::win32::widen(e.what()).c_str(), L"エラー",
                  MB_OK | MB_ICONERROR);
    return 1;
  }
}
