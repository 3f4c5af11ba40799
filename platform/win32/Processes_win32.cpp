// Programs started with CreateProcessW and polled without blocking.
#include "platform/win32/Processes_win32.h"

#include <windows.h>

#include "platform/win32/NativeFile_win32.h"
#include "platform/win32/Status_win32.h"
#include "platform/win32/WideText.h"

namespace platform::win32 {
namespace {

class Win32Process final : public Process {
 public:
  // Closing the handle does not end the program.
  explicit Win32Process(HANDLE process) : m_process(process) {}

  bool running() override { return ::WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT; }

 private:
  Handle m_process;
};

}  // namespace

Win32Processes::Win32Processes(LastError& lastError) : m_lastError(lastError) {}

std::unique_ptr<Process> Win32Processes::start(const std::string& commandLine) {
  if (commandLine.empty() || commandLine.find('\0') != std::string::npos) {
    (void)recordFailure(m_lastError, kErrorInvalidParameter);
    return nullptr;
  }
  // CreateProcessW may write into the command line, so it gets its own copy.
  std::wstring line = widen(commandLine);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  // The started program gets the system's default error mode, not the one the program set
  // for its own library loads.
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE,
                        nullptr, nullptr, &startup, &started)) {
    (void)recordLastError(m_lastError);
    return nullptr;
  }
  const Handle thread(started.hThread);  // not needed
  return std::make_unique<Win32Process>(started.hProcess);
}

}  // namespace platform::win32
