// Child processes on fork and exec, waited for with a deadline and stopped by their own id.
#include "tests/e2e/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <thread>

extern "C" char** environ;

namespace e2e {

namespace {

int exitCode(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Everything the child needs is made before fork: the test has threads (the mirror's), so the
// child may only call async-signal-safe functions until exec.
struct ExecPlan {
  std::string program;
  std::vector<std::string> args, env;
  std::vector<char*> argPointers, envPointers;

  ExecPlan(const std::vector<std::string>& argv, const std::map<std::string, std::string>& changes)
      : args(argv) {
    program = argv.at(0).find('/') == std::string::npos ? findProgram(argv[0]) : argv[0];
    for (char** e = environ; *e; ++e) {
      const std::string entry = *e;
      if (!changes.count(entry.substr(0, entry.find('=')))) env.push_back(entry);
    }
    for (const auto& [name, value] : changes) {
      if (!value.empty()) env.push_back(name + "=" + value);
    }
    for (std::string& a : args) argPointers.push_back(a.data());
    argPointers.push_back(nullptr);
    for (std::string& e : env) envPointers.push_back(e.data());
    envPointers.push_back(nullptr);
  }

  [[noreturn]] void exec(int outFd, int errFd) {
    if (outFd >= 0) ::dup2(outFd, 1);
    if (errFd >= 0) ::dup2(errFd, 2);
    ::execve(program.c_str(), argPointers.data(), envPointers.data());
    ::_exit(127);
  }
};

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::map<std::string, std::string>& env,
                           const std::string& logFile) {
  ExecPlan plan(argv, env);
  if (plan.program.empty()) throw std::runtime_error(argv[0] + " not found");
  const int out = ::open(logFile.empty() ? "/dev/null" : logFile.c_str(),
                         O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) throw std::runtime_error("cannot open " + logFile);
  m_pid = ::fork();
  if (m_pid == 0) plan.exec(out, out);
  ::close(out);
  if (m_pid < 0) throw std::runtime_error("cannot start " + argv[0]);
}

ChildProcess::~ChildProcess() {
  if (m_status || m_pid <= 0) return;
  ::kill(m_pid, SIGTERM);
  if (!waitFor(std::chrono::milliseconds(3000))) {
    ::kill(m_pid, SIGKILL);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
  }
}

std::optional<int> ChildProcess::waitFor(std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!m_status) {
    int status = 0;
    const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
    if (done == m_pid) {
      m_status = exitCode(status);
    } else if (done < 0 && errno != EINTR) {
      m_status = -1;
    } else if (std::chrono::steady_clock::now() >= end) {
      break;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  return m_status;
}

bool ChildProcess::running() { return !waitFor(std::chrono::milliseconds(0)); }

std::optional<std::string> commandOutput(const std::vector<std::string>& argv,
                                         const std::map<std::string, std::string>& env) {
  ExecPlan plan(argv, env);
  if (plan.program.empty()) return std::nullopt;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  const pid_t pid = ::fork();
  if (pid == 0) plan.exec(fds[1], null);
  if (null >= 0) ::close(null);
  ::close(fds[1]);
  if (pid < 0) {
    ::close(fds[0]);
    return std::nullopt;
  }
  std::string output;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
    if (n > 0) output.append(buffer, static_cast<size_t>(n));
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return output;
}

std::string findProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream folders(path ? path : "/usr/bin:/bin");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

}  // namespace e2e
