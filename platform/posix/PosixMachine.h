// All Linux backends over one machine folder, wired together as the program uses them.
#pragma once

#include <memory>
#include <string>

#include "platform/MessagePump.h"
#include "platform/Services.h"
#include "platform/posix/MachineFolder.h"

namespace platform::posix {

class PosixMachine {
 public:
  // prefix: the machine folder; programFolder: where the program's own libraries sit;
  // pump: the window's message pump, run while transfers and processes are waited for.
  PosixMachine(std::string prefix, std::string programFolder, MessagePump& pump);
  ~PosixMachine();
  PosixMachine(const PosixMachine&) = delete;
  PosixMachine& operator=(const PosixMachine&) = delete;

  const MachineFolder& machine() const;
  Services& services();
  Libraries& libraries();

 private:
  struct Parts;
  std::unique_ptr<Parts> m_parts;
};

}  // namespace platform::posix
