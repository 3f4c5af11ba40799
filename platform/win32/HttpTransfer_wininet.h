// The HTTP transfer component on WinINet: a worker thread makes the blocking calls, the window's
// thread keeps the contract and its messages running.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/MessagePump.h"
#include "platform/Status.h"
#include "platform/TextCodec.h"
#include "platform/http/TransferContract.h"

namespace platform::win32 {

class FetchChannel;
class FetchWorker;

// The contract of every component (events, tries, bounds, error codes: TransferContract.h) on
// WinINet; any WinINet failure without a shared code fails with WinINet's own number
// (12000-12999). The requests run one after the other on one long-lived worker thread, on one
// WinINet session while the proxy stays the same; the worker hands what it learns (the head,
// the body's pieces, the end, a failure) to the window's thread, which sleeps until that or a
// new message arrives (MsgWaitForMultipleObjects), waking at most a few milliseconds apart for
// the stall watch. The body is written on
// the window's thread, so a request left behind (abort, stall) leaves no file; leaving it
// closes its request handle, which ends the worker's blocking call at once. Every request asks
// caches to revalidate (Cache-Control and Pragma: no-cache, INTERNET_FLAG_PRAGMA_NOCACHE). A
// proxy's sign-in is answered with Negotiate or NTLM (first with the signed-in user's own
// credentials), Digest or Basic. An empty proxy means a direct connection that ignores the
// system's proxy settings.
class WinInetTransfer final : public http::TransferContract {
 public:
  // codec turns the URL into CP932 bytes; pump runs while the transfer waits; lastError
  // receives the Windows code of a local-file failure.
  WinInetTransfer(TextCodec& codec, MessagePump& pump, LastError& lastError);
  ~WinInetTransfer() override;

 protected:
  std::unique_ptr<http::BodyStore> makeBody() override;
  void startRequest(const http::WireRequest& request) override;
  void collectNotes(std::vector<http::WireNote>& notes, int64_t& headBytes) override;
  void waitForWire(std::chrono::milliseconds wait) override;
  void stopRequest() override;
  std::vector<http::AuthScheme> signInSchemes() const override;
  bool answersWithOwnCredentials(http::AuthScheme scheme) const override;

 private:
  std::unique_ptr<FetchWorker> m_worker;
  std::shared_ptr<void> m_readyEvent;
  std::shared_ptr<FetchChannel> m_channel;
};

}  // namespace platform::win32
