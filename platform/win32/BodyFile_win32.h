// The file that receives a response body: written under a temporary name beside its target and
// renamed onto the target only when the fetch has succeeded.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "platform/Status.h"
#include "platform/win32/NativeFile_win32.h"

namespace platform::win32 {

class BodyFile {
 public:
  BodyFile() = default;
  // An unfinished body is discarded; a committed one stays.
  ~BodyFile();
  BodyFile(const BodyFile&) = delete;
  BodyFile& operator=(const BodyFile&) = delete;

  // Prepares the body of `target` (a Windows path, UTF-8). Fails with the system's code: 3 when
  // its folder or drive is missing, 5 when the target is read-only or a folder, 123 for an empty
  // name; nothing is touched then.
  Status open(const std::string& target);
  // Appends bytes; fails with 112 when the disk is full, the system's code otherwise.
  Status write(const char* data, size_t size);
  // Closes the body and puts it in place of the target, replacing an older file.
  Status commit();
  // After a failure (also after commit): removes the unfinished body and the target, so no
  // older or partial file passes for this fetch's result. Does nothing unless open succeeded.
  void discard();
  // The committed file stays; the object forgets it.
  void keep() { m_state = State::kIdle; }

 private:
  enum class State { kIdle, kWriting, kCommitted };
  std::wstring m_target;
  std::wstring m_temp;
  Handle m_file;
  State m_state = State::kIdle;
};

}  // namespace platform::win32
