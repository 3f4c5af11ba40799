// The contract every HTTP transfer component keeps, written once: the properties, the order of
// the events, the sign-in and strict-proxy retries, the stall and size bounds, and the checks
// that decide whether a body counts. A component derives from it and only moves bytes.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/HttpTransfer.h"
#include "platform/MessagePump.h"
#include "platform/Status.h"
#include "platform/TextCodec.h"
#include "platform/http/TransferFailures.h"
#include "platform/http/TransferWire.h"

namespace platform::http {

// Error codes of a failed fetch (EipwHTTP::code). An HTTP status outside 200-299 fails with the
// status itself (300-599; redirects are not followed) and its reason phrase; every other failure
// is kEngineErrorBase plus a number (TransferFailures.h), with an English description: 1003 bad
// URL (also a character outside code page 932), 1006 unknown host, 1007 could not connect, 1018
// body shorter than announced, 1023 local file not writable, 1028 stalled (fewer than 1024 bytes
// in the stall window, in the head as in the body, or no connection in time), 1042 aborted
// (AbortTransfer, ResetTransfer, or a failing event handler, whose message becomes the
// description), 1043 bad proxy port, 1056 connection reset, 1063 body longer than the size limit
// (announced or not), 1052 no response at all, 1093 FetchURL called while one runs. A component may
// fail with numbers of its engine beside these.
//
// One request at a time. FetchURL runs a loop on the calling thread: collect what the component
// received, raise the events for it, let window messages run, then wait a few milliseconds for
// the network or a message. Handlers and window messages may call AbortTransfer or
// ResetTransfer, which only raise a flag the loop looks at; the property setters take effect at
// the next FetchURL.
//
// Order per fetch: OnHeader for each field of the final response; for a 2xx response then
// OnStartTransfer, OnTransfer per round of pieces (running total; an empty body gives one
// OnTransfer with 0), OnEndTransfer. OnEndTransfer follows OnStartTransfer also when the body
// fails or is aborted; FetchURL then throws. OnError is never raised: every failure is the
// exception, so the window's box can name the file. Answers that lead to another try of the
// same file (a proxy's 407, a strict proxy's 400) raise no event.
//
// A proxy's 407 is answered with a scheme both it and the component know: on Windows NTLM and
// Negotiate first with the signed-in user's own credentials, then with a pair from the sign-in
// (the pair accepted earlier in the run first, then the user's boxes), at most three pairs per
// fetch; "キャンセル", no common scheme or a third refusal fail with the 407. A 400 to a target
// holding bytes of 0x80 or more is tried once more with those bytes percent-encoded.
class TransferContract : public HttpTransfer {
 public:
  ~TransferContract() override;
  TransferContract(const TransferContract&) = delete;
  TransferContract& operator=(const TransferContract&) = delete;

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
  // Throws EipwHTTP: see the codes above. A failed fetch leaves no file at LocalFile (an older
  // file there is removed too, unless it is read-only: then the fetch fails with 1023 at once
  // and the file stays).
  void FetchURL(const std::string& url) override;
  // True from the start of FetchURL until it returns.
  bool Active() const override { return m_active; }
  // Ends the running fetch at its next round; no effect when idle.
  void AbortTransfer() override;

  // Time allowed to open a connection, and the stall window: fewer than 1024 bytes within it
  // fail the fetch. Defaults 30 s and 60 s.
  void setTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds stall);
  // Longest wait for the network between two rounds of window messages; default 20 ms.
  void setPollInterval(std::chrono::milliseconds interval);
  // The clock the stall window is measured on; null: the system's monotonic clock.
  void setClock(Clock* clock) { m_clock = clock; }
  // Longest body: an announced length above it fails at once, a body without a length fails on
  // reaching it. Default 2147483647, the most the window's counters hold.
  void setSizeLimit(int64_t bytes) { m_sizeLimit = bytes; }

 protected:
  // codec turns the URL into CP932 bytes; pump runs while the transfer waits; lastError
  // receives the Windows code of a local-file failure.
  TransferContract(TextCodec& codec, MessagePump& pump, LastError& lastError);

  // ---- what a component provides: its body file and its byte mover.
  virtual std::unique_ptr<BodyStore> makeBody() = 0;
  // Sends the GET. Throws EipwHTTP when it cannot even start (a URL the engine refuses).
  virtual void startRequest(const WireRequest& request) = 0;
  // Appends what arrived since the last call, without waiting; adds the bytes of response heads
  // seen meanwhile to headBytes (interim heads included), for the stall watch.
  virtual void collectNotes(std::vector<WireNote>& notes, int64_t& headBytes) = 0;
  // Waits at most `wait` for the network or a window message.
  virtual void waitForWire(std::chrono::milliseconds wait) = 0;
  // Ends the request at once, whatever it still does; called after every startRequest.
  virtual void stopRequest() = 0;
  // The proxy sign-in schemes the component can answer, best first.
  virtual std::vector<AuthScheme> signInSchemes() const = 0;
  // True when the component can answer the scheme with the signed-in user's own credentials.
  virtual bool answersWithOwnCredentials(AuthScheme) const { return false; }

  TextCodec& m_codec;

 private:
  struct Fetch;
  struct Round;
  // Up to the head's verdict and the body's end: one request on the wire.
  void runRound(Fetch& fetch, Round& round);
  void deliverNotes(Fetch& fetch, Round& round, std::vector<WireNote>& notes);
  void deliverHead(Fetch& fetch, Round& round, WireNote& head);
  void deliverPiece(Fetch& fetch, Round& round, const std::string& bytes);
  // Sets up the next try of a 407; false when there is none (cancelled, refused three times).
  bool nextSignIn(Fetch& fetch, const Round& round);
  void sendCredentials(Fetch& fetch, AuthScheme scheme, const ProxyCredentials& pair);
  // Turns an aborted, stalled, refused, failed or short transfer into its error.
  void checkOutcome(Fetch& fetch, Round& round);
  // Judges and keeps the body and raises the closing events.
  void finish(Fetch& fetch, Round& round);
  // Raises one event; false once a handler failed or aborted the fetch.
  template <typename Call>
  bool raise(Round& round, Call&& call);
  [[noreturn]] void fail(Fetch& fetch, Round& round, int code, const std::string& description);
  uint64_t nowMs();

  MessagePump& m_pump;
  LastError& m_lastError;
  HttpTransferEvents* m_events = nullptr;
  ProxySignIn* m_signIn = nullptr;
  BodyJudge* m_judge = nullptr;
  Clock* m_clock = nullptr;

  std::string m_proxyHost;
  int m_proxyPort = 0;
  std::string m_localFile;
  std::chrono::milliseconds m_connectTimeout{30000};
  std::chrono::milliseconds m_stallTimeout{60000};
  std::chrono::milliseconds m_pollInterval{20};
  int64_t m_sizeLimit = 2147483647;
  // The scheme the proxy last accepted, so the next file sends the kept pair at once.
  std::optional<AuthScheme> m_acceptedScheme;
  bool m_active = false;
  bool m_abortRequested = false;
};

}  // namespace platform::http
