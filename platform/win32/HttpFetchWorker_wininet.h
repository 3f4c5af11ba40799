// The blocking WinINet calls of one fetch, made on the worker thread so the window's thread never
// waits inside WinINet.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/win32/HttpFetchChannel_win32.h"
#include "platform/win32/HttpRequestTarget_win32.h"

namespace platform::win32 {

struct FetchRequest {
  RequestTarget target;
  std::string proxy;  // "host:port"; empty for a direct connection, whatever the system says
  unsigned long connectTimeoutMs = 30000;
  // Longest wait for a byte, the response's head included.
  unsigned long receiveTimeoutMs = 65000;
  // The answer to a proxy's sign-in: Basic goes as our own field; the other schemes WinINet
  // answers itself, with the pair or, when none is given, the signed-in user's own credentials.
  std::optional<http::AuthScheme> scheme;
  std::string user;  // bytes as the scheme wants them
  std::string password;
};

// The WinINet session a worker keeps from one fetch to the next: opened again only when the
// proxy changes. Used by one thread only.
class FetchSession {
 public:
  FetchSession() = default;
  ~FetchSession();
  FetchSession(const FetchSession&) = delete;
  FetchSession& operator=(const FetchSession&) = delete;
  // The session for this proxy ("" direct); null with the thread's last error set on failure.
  void* forProxy(const std::string& proxy);

 private:
  void* m_handle = nullptr;
  std::string m_proxy;
};

// One GET, blocking. Posts to the channel one kHead, then (for a 2xx status) kPiece notes and
// one kEnd, or a kFailure at any point; once the channel is abandoned (which closes the request
// handle) it stops at its next step and closes its other handles itself.
void runFetch(const FetchRequest& request, FetchChannel& channel, FetchSession& session);

}  // namespace platform::win32
