// A program the end-to-end tests start, watch and, if it is still running at the end, stop.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

class ChildProcess {
 public:
  // Starts `argv` with the test's environment changed by `env` (an empty value removes the
  // variable); its output goes to `logFile` (or nowhere when empty). Throws std::runtime_error
  // when it cannot be started.
  ChildProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
               const std::string& logFile = {});
  // Stops the process by its id (SIGTERM, then SIGKILL) unless it has ended.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return m_pid; }
  // The exit status once the process has ended within `limit`; nullopt while it runs. A
  // process ended by a signal gives 128 + the signal's number.
  std::optional<int> waitFor(std::chrono::milliseconds limit);
  bool running();

 private:
  pid_t m_pid = -1;
  std::optional<int> m_status;
};

// Runs a command to its end and returns what it wrote to standard output; nullopt when it
// could not run or failed.
std::optional<std::string> commandOutput(const std::vector<std::string>& argv,
                                         const std::map<std::string, std::string>& env = {});

// The full path of a program on PATH; empty when there is none.
std::string findProgram(const std::string& name);

}  // namespace e2e
