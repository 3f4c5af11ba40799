// The binding of the LHA archive library "UNLHA32.DLL": its entry points, or stubs that say so.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Libraries.h"

class LhaBinding {
 public:
  // Shows the stub's box (caption "PANIC!!", error icon, OK) with the given text.
  using PanicBox = std::function<void(const std::string& caption, const std::string& text)>;

  struct EntryPoint {
    const char* name;
    int argumentCount;
    void* address;  // null: the stub answers
  };
  static constexpr size_t kEntryCount = 41;
  // The library's own types of the entry points the program calls.
  using UnlhaProc = int32_t(PLATFORM_WINAPI*)(void*, const char*, char*, uint32_t);
  using UnlhaGetVersionProc = int32_t(PLATFORM_WINAPI*)();

  // Loads the library and binds every entry point it has; a missing library or entry point
  // keeps the stub. The library is freed with the binding.
  LhaBinding(platform::Libraries& libraries, PanicBox panicBox);
  ~LhaBinding();
  LhaBinding(const LhaBinding&) = delete;
  LhaBinding& operator=(const LhaBinding&) = delete;

  bool loaded() const { return m_library != nullptr; }
  const std::array<EntryPoint, kEntryCount>& entries() const { return m_entries; }

  // The archiver command: owner window, CP932 command line, output buffer and its size.
  // A stub shows its box and answers 0, leaving the buffer untouched.
  int32_t Unlha(void* ownerWindow, const char* commandLine, char* output, uint32_t outputSize);
  int32_t UnlhaGetVersion();

 private:
  // Shows the stub's box for an entry point; a stub's answer is always 0.
  int32_t stub(size_t index);

  std::unique_ptr<platform::Library> m_library;
  std::array<EntryPoint, kEntryCount> m_entries;
  PanicBox m_panicBox;
};
