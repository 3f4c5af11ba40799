// The HTTP transfer component on WinINet: a worker thread makes the blocking calls, the window's
// thread raises the events and keeps its messages running.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/HttpTransfer.h"
#include "platform/MessagePump.h"
#include "platform/Status.h"
#include "platform/TextCodec.h"
#include "platform/http/TransferFailures.h"

namespace platform::win32 {

class FetchChannel;

// Error codes of a failed fetch (EipwHTTP::code), as on Linux: an HTTP status outside 200-299
// fails with the status itself (redirects are not followed) and its reason phrase; 1003 bad URL
// (also a character outside code page 932), 1006 unknown host, 1007 could not connect, 1018 body
// shorter than announced, 1023 local file not writable, 1028 time-out (connect, or no data),
// 1042 aborted (AbortTransfer, ResetTransfer, or a failing event handler, whose message becomes
// the description), 1043 bad proxy port, 1056 connection reset, 1093 FetchURL called while one
// runs. Any other WinINet failure fails with WinINet's own number (12000-12999).
//
// One request at a time, on a worker thread of its own that hands what it learns (the head, the
// body's pieces, the end, a failure) to the window's thread. FetchURL runs a loop on the window's
// thread: raise the events for what arrived, let window messages run, then wait for the worker
// or a new message (MsgWaitForMultipleObjects) at most a few milliseconds. The body is written
// there too, so a fetch that is left behind (abort, time-out) leaves no file, whatever its worker
// still does: the worker stops at its next step and closes its handles by itself.
//
// Order per fetch: OnHeader for each field of the final response; for a 2xx response then
// OnStartTransfer, OnTransfer per round of pieces (running total, held at the int32 maximum
// beyond 2 GB; an empty body gives one OnTransfer with 0), OnEndTransfer. OnEndTransfer follows
// OnStartTransfer also when the body fails or is aborted; FetchURL then throws. OnError is never
// raised: every failure is the exception, so the window's box can name the file.
class WinInetTransfer final : public HttpTransfer {
 public:
  // codec turns the URL into CP932 bytes; pump runs while the transfer waits; lastError
  // receives the Windows code of a local-file failure.
  WinInetTransfer(TextCodec& codec, MessagePump& pump, LastError& lastError);
  ~WinInetTransfer() override;
  WinInetTransfer(const WinInetTransfer&) = delete;
  WinInetTransfer& operator=(const WinInetTransfer&) = delete;

  void setEvents(HttpTransferEvents* events) override { m_events = events; }
  void setSignIn(ProxySignIn* signIn) override { m_signIn = signIn; }
  void setBodyJudge(BodyJudge* judge) override { m_judge = judge; }
  // Ends a running fetch (as AbortTransfer); the properties stay as set.
  void ResetTransfer() override;
  void ProxyServer(const std::string& host) override { m_proxyHost = host; }
  // 0 means port 80 (the HTTP default).
  void ProxyPort(int port) override { m_proxyPort = port; }
  // Empty: the body reaches only the OnTransfer events.
  void LocalFile(const std::string& path) override { m_localFile = path; }
  // Throws EipwHTTP: see the codes above. An empty proxy means a direct connection that ignores
  // the system's proxy settings. A failed fetch leaves no file at LocalFile (an older file there
  // is removed too, unless it is read-only: then the fetch fails with 1023 at once and the file
  // stays). Called again while it runs, it throws with 1093.
  void FetchURL(const std::string& url) override;
  // True from the start of FetchURL until it returns.
  bool Active() const override { return m_active; }
  // Ends the running fetch at once, also while the server is silent; no effect when idle.
  void AbortTransfer() override;

  // Time allowed to open a connection, and time without a single received byte before a fetch
  // fails; defaults 30 s and 60 s.
  void setTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds stall);
  // Longest wait for the worker between two rounds of window messages; default 20 ms.
  void setPollInterval(std::chrono::milliseconds interval);

 private:
  struct Fetch;
  void runLoop(Fetch& fetch, FetchChannel& channel);
  void deliverNotes(Fetch& fetch, FetchChannel& channel);
  void finish(Fetch& fetch);
  [[noreturn]] void fail(Fetch& fetch, int code, const std::string& description);

  TextCodec& m_codec;
  MessagePump& m_pump;
  LastError& m_lastError;
  HttpTransferEvents* m_events = nullptr;
  ProxySignIn* m_signIn = nullptr;
  BodyJudge* m_judge = nullptr;

  std::string m_proxyHost;
  int m_proxyPort = 0;
  std::string m_localFile;
  std::chrono::milliseconds m_connectTimeout{30000};
  std::chrono::milliseconds m_stallTimeout{60000};
  std::chrono::milliseconds m_pollInterval{20};
  bool m_active = false;
  bool m_abortRequested = false;
};

}  // namespace platform::win32
