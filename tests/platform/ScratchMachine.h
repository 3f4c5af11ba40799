// A machine folder of its own for one platform test, with native helpers to lay it out.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/Status.h"
#include "platform/posix/FileSystem_posix.h"
#include "platform/posix/MachineFolder.h"

namespace test {

// Owns a folder under /tmp, removed afterwards; pins TZ to Asia/Tokyo.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return m_path; }

 private:
  std::string m_path;
};

// A machine with drive C: and the real file system over it. Native helpers take paths
// relative to the machine folder ("drive_c/Inst/A.INI").
class ScratchMachine : public ::testing::Test {
 protected:
  ScratchMachine();

  std::string native(const std::string& relative) const { return scratch.path() + "/" + relative; }
  void put(const std::string& relative, const std::string& bytes = "x") const;
  std::string get(const std::string& relative) const;
  bool has(const std::string& relative) const;
  void mkdirs(const std::string& relative) const;
  void setReadOnly(const std::string& relative, bool readOnly) const;
  bool readOnly(const std::string& relative) const;

  ScratchFolder scratch;
  platform::posix::MachineFolder machine;
  platform::LastError lastError;
  platform::posix::PosixFileSystem files;
};

}  // namespace test
