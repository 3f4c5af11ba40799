// A machine folder of its own for one test, removed afterwards; TZ pinned to Asia/Tokyo.
#pragma once

#include <memory>
#include <string>

#include "platform/Services.h"
#include "platform/posix/PosixMachine.h"
#include "tests/doubles/FakeClock.h"
#include "tests/doubles/FakeView.h"

namespace test {

class TempMachine {
 public:
  // The view is the pump of the machine's transfers and processes.
  explicit TempMachine(platform::MessagePump& pump);
  ~TempMachine();

  const std::string& prefix() const { return m_prefix; }
  // Native path of a Windows path, for checks made beside the program.
  std::string native(const std::string& windowsPath) const;
  // Writes a file (creating its folders) through the native file system.
  void put(const std::string& windowsPath, const std::string& bytes) const;
  // Reads a native file; empty when missing.
  std::string get(const std::string& windowsPath) const;
  bool has(const std::string& windowsPath) const;
  void setReadOnly(const std::string& windowsPath, bool readOnly) const;
  // Writes <prefix>/registry.reg.
  void putRegistry(const std::string& text) const;

  // The real services, but with the fake clock.
  platform::Services& services() { return *m_services; }
  FakeClock clock;

 private:
  std::string m_prefix;
  std::unique_ptr<platform::posix::PosixMachine> m_machine;
  std::unique_ptr<platform::Services> m_services;
};

}  // namespace test
