// The HTTP transfer component: fetch one URL into a local file, with events.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/ProxySignIn.h"

namespace platform {

class HttpTransfer;

// Judges a body before it counts as fetched: sees each piece as it arrives, then has the last
// word once the body is complete and every transfer check has passed.
class BodyJudge {
 public:
  virtual ~BodyJudge() = default;
  // A new body of `url` (UTF-8) begins; also when a fetch tries again.
  virtual void beginBody(const std::string& url) = 0;
  virtual void bodyPiece(std::string_view bytes) = 0;
  // Throws EipwHTTP to refuse the body: the fetch then fails with that error and leaves no file.
  virtual void judgeBody(int64_t size) = 0;
};

// Events, raised on the calling thread during FetchURL, in this order: OnHeader per response
// header, OnStartTransfer, OnTransfer per received piece (running total of body bytes),
// OnEndTransfer; OnError may come at any point.
class HttpTransferEvents {
 public:
  virtual ~HttpTransferEvents() = default;
  virtual void OnHeader(HttpTransfer& sender, const std::string& field,
                        const std::string& value) = 0;
  virtual void OnStartTransfer(HttpTransfer& sender, int direction) = 0;
  virtual void OnTransfer(HttpTransfer& sender, int direction, int32_t bytesTransferred,
                          std::string_view text) = 0;
  virtual void OnEndTransfer(HttpTransfer& sender, int direction) = 0;
  virtual void OnError(HttpTransfer& sender, int errorCode, const std::string& description) = 0;
};

// A failed fetch; the message is "<code>: <description>".
class EipwHTTP : public std::runtime_error {
 public:
  EipwHTTP(int code, const std::string& description)
      : std::runtime_error(std::to_string(code) + ": " + description), m_code(code) {}
  int code() const { return m_code; }

 private:
  int m_code;
};

// Per request the caller uses ResetTransfer, ProxyServer, ProxyPort, LocalFile, then FetchURL.
class HttpTransfer {
 public:
  virtual ~HttpTransfer() = default;
  virtual void setEvents(HttpTransferEvents* events) = 0;
  // Asked for a user name and password when the proxy answers 407; null: no sign-in.
  virtual void setSignIn(ProxySignIn* signIn) = 0;
  // Judges each finished body before it counts; null: every complete body counts.
  virtual void setBodyJudge(BodyJudge* judge) = 0;
  // Back to idle, no request pending.
  virtual void ResetTransfer() = 0;
  // Proxy host; empty means a direct connection.
  virtual void ProxyServer(const std::string& host) = 0;
  virtual void ProxyPort(int port) = 0;
  // Windows path of the file that receives the body (created or replaced).
  virtual void LocalFile(const std::string& path) = 0;
  // HTTP GET of the URL (UTF-8; sent as CP932 bytes). Returns after OnEndTransfer; window
  // messages keep running meanwhile. Throws EipwHTTP when the transfer fails.
  virtual void FetchURL(const std::string& url) = 0;
  // True while a connection or transfer is open.
  virtual bool Active() const = 0;
  // Makes the FetchURL in progress end.
  virtual void AbortTransfer() = 0;
};

}  // namespace platform
