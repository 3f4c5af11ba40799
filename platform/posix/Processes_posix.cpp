// Programs of the machine folder started with posix_spawn and polled without blocking.
#include "platform/posix/Processes_posix.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <vector>

#include "platform/posix/NativeFile_posix.h"
#include "platform/posix/WindowsCommandLine.h"
#include "platform/posix/WindowsPath.h"

extern char** environ;

namespace platform::posix {
namespace {

class PosixProcess final : public Process {
 public:
  explicit PosixProcess(pid_t pid) : m_pid(pid) {}
  ~PosixProcess() override {
    if (m_reaped) return;
    // Dropping the object does not end the program (as closing a process handle does not);
    // someone still has to collect its exit so that it leaves no zombie behind.
    pid_t pid = m_pid;
    std::thread([pid] {
      while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  }
  PosixProcess(const PosixProcess&) = delete;
  PosixProcess& operator=(const PosixProcess&) = delete;

  bool running() override {
    if (m_reaped) return false;
    pid_t result;
    do {
      result = ::waitpid(m_pid, nullptr, WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == 0) return true;
    m_reaped = true;  // ended, or already collected elsewhere (ECHILD)
    return false;
  }

 private:
  pid_t m_pid;
  bool m_reaped = false;
};

// True for a regular file that the system could execute and that is not a Windows program.
bool runnableHere(const std::string& native) {
  struct stat st {};
  if (::stat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (::access(native.c_str(), X_OK) != 0 || (st.st_mode & 0111) == 0) return false;
  Descriptor fd(::open(native.c_str(), O_RDONLY | O_CLOEXEC));
  char magic[2] = {};
  if (fd.get() >= 0 && ::read(fd.get(), magic, sizeof magic) == 2 && magic[0] == 'M' &&
      magic[1] == 'Z') {
    return false;
  }
  return true;
}

}  // namespace

PosixProcesses::PosixProcesses(const MachineFolder& machine) : m_machine(machine) {}

std::optional<std::string> PosixProcesses::findProgram(const std::string& program) const {
  std::vector<std::string> candidates;
  if (parseDrivePath(program)) {
    candidates.push_back(program);
  } else if (auto full = resolveFullPath(program)) {
    candidates.push_back(*full);
    if (program.find_first_of("\\/:") == std::string::npos) {
      candidates.push_back("C:\\WINDOWS\\SYSTEM32\\" + program);
      candidates.push_back("C:\\WINDOWS\\" + program);
    }
  }
  for (const std::string& candidate : candidates) {
    auto native = m_machine.nativePath(candidate);
    struct stat st {};
    if (native && ::stat(native->c_str(), &st) == 0) return native;
  }
  return std::nullopt;
}

std::unique_ptr<Process> PosixProcesses::start(const std::string& commandLine) {
  const auto parsed = splitCommandLine(commandLine);
  if (!parsed) return nullptr;
  const auto native = findProgram(parsed->program);
  if (!native || !runnableHere(*native)) return nullptr;
  std::vector<std::string> texts{*native};
  texts.insert(texts.end(), parsed->arguments.begin(), parsed->arguments.end());
  std::vector<char*> argv;
  for (std::string& text : texts) argv.push_back(text.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawn(&pid, native->c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
    return nullptr;
  }
  return std::make_unique<PosixProcess>(pid);
}

}  // namespace platform::posix
