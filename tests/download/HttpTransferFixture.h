// A real loopback mirror, a machine folder of its own and a recording of every transfer event.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/HttpTransfer.h"
#include "platform/MessagePump.h"
#include "platform/Status.h"
#include "platform/TextCodec.h"
#include "platform/posix/HttpTransfer_curl.h"
#include "platform/posix/MachineFolder.h"
#include "platform/posix/TextCodec_posix.h"
#include "tools/update-mirror/UpdateMirror.h"

namespace test {

// The window's message loop, as seen from the component: counts rounds and runs a hook.
class PumpDouble : public platform::MessagePump {
 public:
  void processMessages() override {
    ++rounds;
    if (hook) hook();
  }
  void waitMessages(unsigned) override { processMessages(); }
  int rounds = 0;
  std::function<void()> hook;
};

// Records the events as short texts: "header Content-Length=6", "start", "transfer 6",
// "end", "error 5 text"; hooks let a test act from inside a handler.
class EventLog : public platform::HttpTransferEvents {
 public:
  void OnHeader(platform::HttpTransfer& sender, const std::string& field,
                const std::string& value) override;
  void OnStartTransfer(platform::HttpTransfer& sender, int direction) override;
  void OnTransfer(platform::HttpTransfer& sender, int direction, int32_t bytesTransferred,
                  std::string_view text) override;
  void OnEndTransfer(platform::HttpTransfer& sender, int direction) override;
  void OnError(platform::HttpTransfer& sender, int errorCode,
               const std::string& description) override;

  // The events without the header lines.
  std::vector<std::string> flow() const;
  std::vector<std::string> events;
  std::string text;  // the pieces, joined
  size_t largestPiece = 0;
  bool activeInEvents = true;  // Active() read true inside every handler
  std::function<void(const std::string& event)> hook;
};

class HttpTransferTest : public ::testing::Test {
 protected:
  HttpTransferTest();
  ~HttpTransferTest() override;

  // Puts a file into the mirror's release folder at brevan/v128/<name> (UTF-8 name).
  void publish(const std::string& name, const std::string& bytes);
  std::string url(const std::string& name) const;
  // Native path of a Windows path of the machine.
  std::string native(const std::string& windowsPath) const;
  bool exists(const std::string& windowsPath) const;
  std::string read(const std::string& windowsPath) const;
  // Fetches url(name) into C:\TEMP\work\<name>; returns the exception's message or "".
  std::string fetch(const std::string& name);
  // Files in the work folder, hidden ones included.
  std::vector<std::string> workFiles() const;

  std::string m_scratch;
  std::string m_root;
  platform::posix::MachineFolder m_machine;
  platform::posix::IconvTextCodec m_codec;
  PumpDouble m_pump;
  platform::LastError m_lastError;
  EventLog m_log;
  std::unique_ptr<mirror::UpdateMirror> m_mirror;
  std::unique_ptr<platform::posix::CurlHttpTransfer> m_http;
};

// Bytes that differ from position to position, so a misplaced piece shows.
std::string patternBytes(size_t size);

}  // namespace test
