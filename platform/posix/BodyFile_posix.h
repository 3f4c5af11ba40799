// The file that receives a response body: written under a temporary name beside its target and
// renamed onto the target only when the fetch has succeeded.
#pragma once

#include <cstddef>
#include <string>

#include "platform/Status.h"
#include "platform/posix/NativeFile_posix.h"

namespace platform::posix {

class BodyFile {
 public:
  BodyFile() = default;
  // An unfinished body is discarded; a committed one stays.
  ~BodyFile();
  BodyFile(const BodyFile&) = delete;
  BodyFile& operator=(const BodyFile&) = delete;

  // Prepares the body of `target` (a native path). Fails with 3 when its folder is missing, 5
  // when the target is read-only or a folder, 206 for an over-long name; nothing is touched then.
  Status open(const std::string& target);
  // Appends bytes; fails with 112 when the disk is full, 29 on other write errors.
  Status write(const char* data, size_t size);
  // Closes the body and puts it in place of the target, replacing an older file.
  Status commit();
  // After a failure (also after commit): removes the unfinished body and the target, so no
  // older or partial file passes for this fetch's result. Does nothing unless open succeeded.
  void discard();
  // The committed file stays; the object forgets it.
  void keep() { m_state = State::kIdle; }
  bool isOpen() const { return m_file.fd() >= 0; }

 private:
  enum class State { kIdle, kWriting, kCommitted };
  // The Windows code of a failed call's errno for this body.
  int failure(int error) const;
  std::string m_target;
  FileBeside m_file;
  State m_state = State::kIdle;
};

}  // namespace platform::posix
