// Starting a program of the machine (CreateProcess) and watching whether it still runs.
#pragma once

#include <memory>
#include <string>

namespace platform {

// A started process.
class Process {
 public:
  virtual ~Process() = default;
  // Polls with a zero time-out: true while the process still runs.
  virtual bool running() = 0;
};

class Processes {
 public:
  virtual ~Processes() = default;
  // Starts a command line (CreateProcess); nullptr when it cannot start here.
  virtual std::unique_ptr<Process> start(const std::string& commandLine) = 0;
};

}  // namespace platform
