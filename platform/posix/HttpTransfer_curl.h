// The HTTP transfer component on libcurl's multi interface, run on the window's thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/HttpTransfer.h"
#include "platform/MessagePump.h"
#include "platform/Status.h"
#include "platform/TextCodec.h"
#include "platform/http/TransferFailures.h"
#include "platform/posix/MachineFolder.h"

namespace platform::posix {

// Prepares libcurl once for the whole program; call in main() before any component exists.
// Returns false when the engine cannot start (every fetch then fails).
bool initHttpEngine();
// Releases what initHttpEngine set up; call at program end, after every component is gone.
void cleanupHttpEngine();

// Error codes of a failed fetch (EipwHTTP::code). An HTTP status outside 200-299 fails with the
// status itself (300-599; redirects are not followed) and its reason phrase; every other failure
// is kEngineErrorBase plus libcurl's error number, with the engine's own explanation (English)
// as description: 1003 bad URL (also a character outside code page 932), 1006 unknown host,
// 1007 could not connect, 1018 body shorter than announced, 1023 local file not writable,
// 1028 time-out (connect, or no data), 1042 aborted (AbortTransfer, ResetTransfer, or a failing
// event handler, whose message becomes the description), 1043 bad proxy port, 1056 connection
// reset, 1093 FetchURL called while one runs.
using http::kEngineErrorBase;
using http::kErrorLocalFile;
using http::kErrorShortBody;
using http::kErrorTimedOut;
using http::kErrorTransferAborted;
using http::kErrorTransferBusy;

// One request at a time. Connections are kept open between requests (keep-alive) and reused by
// the next FetchURL of the same component.
//
// Events come from FetchURL's own loop, never from inside libcurl: the loop runs libcurl, then
// raises the events it collected, then lets window messages run, then waits at most a few
// milliseconds for the network. Handlers and window messages may therefore call AbortTransfer or
// ResetTransfer, which only raise a flag that the loop looks at before libcurl runs again; the
// property setters take effect at the next FetchURL.
//
// Order per fetch: OnHeader for each field of the final response; for a 2xx response then
// OnStartTransfer, OnTransfer per piece that arrived in one round (running total, held at the
// int32 maximum beyond 2 GB; an empty body gives one OnTransfer with 0), OnEndTransfer.
// OnEndTransfer follows OnStartTransfer also when the body fails or is aborted; FetchURL then
// throws. OnError is never raised: every failure is the exception, so the window's box can
// name the file.
class CurlHttpTransfer final : public HttpTransfer {
 public:
  // machine maps LocalFile; codec turns the URL into CP932 bytes; pump runs while the transfer
  // waits; lastError receives the Windows-style code of a local-file failure.
  CurlHttpTransfer(const MachineFolder& machine, TextCodec& codec, MessagePump& pump,
                   LastError& lastError);
  ~CurlHttpTransfer() override;
  CurlHttpTransfer(const CurlHttpTransfer&) = delete;
  CurlHttpTransfer& operator=(const CurlHttpTransfer&) = delete;

  void setEvents(HttpTransferEvents* events) override { m_events = events; }
  // Ends a running fetch (as AbortTransfer); the properties stay as set.
  void ResetTransfer() override;
  void ProxyServer(const std::string& host) override { m_proxyHost = host; }
  // 0 means port 80 (the HTTP default), not libcurl's 1080.
  void ProxyPort(int port) override { m_proxyPort = port; }
  // Empty: the body reaches only the OnTransfer events.
  void LocalFile(const std::string& path) override { m_localFile = path; }
  // Throws EipwHTTP: see the codes above. A failed fetch leaves no file at LocalFile (an older
  // file there is removed too, unless it is read-only: then the fetch fails with 1023 at once
  // and the file stays). Called again while it runs, it throws with 1093.
  void FetchURL(const std::string& url) override;
  // True from the start of FetchURL until it returns; kept-alive idle connections do not count.
  bool Active() const override { return m_active; }
  // Ends the running fetch before the next network wait; no effect when idle.
  void AbortTransfer() override;

  // Time allowed to open a connection (name lookup included), and time without a single
  // received byte before a fetch fails; defaults 30 s and 60 s.
  void setTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds stall);
  // Longest wait for the network between two rounds of window messages; default 20 ms.
  void setPollInterval(std::chrono::milliseconds interval);

 private:
  struct Engine;
  struct Fetch;
  // The steps of FetchURL, in order. Each throws EipwHTTP when the fetch cannot go on.
  // The URL in the program's code page, once the component can start a fetch at all.
  std::string requestTarget(const std::string& url);
  // Opens LocalFile, when one is set, for the body to stream into.
  void openBody(Fetch& fetch);
  void setOptions(Fetch& fetch, const std::string& target);
  void runLoop(Fetch& fetch);
  // Turns an aborted, stalled, refused, failed or short transfer into its error.
  void checkOutcome(Fetch& fetch);
  // Keeps the body and raises the closing events.
  void finish(Fetch& fetch);
  void deliverEvents(Fetch& fetch);
  [[noreturn]] void fail(Fetch& fetch, int code, const std::string& description);

  const MachineFolder& m_machine;
  TextCodec& m_codec;
  MessagePump& m_pump;
  LastError& m_lastError;
  HttpTransferEvents* m_events = nullptr;
  std::unique_ptr<Engine> m_engine;

  std::string m_proxyHost;
  int m_proxyPort = 0;
  std::string m_localFile;
  std::chrono::milliseconds m_connectTimeout{30000};
  std::chrono::milliseconds m_stallTimeout{60000};
  std::chrono::milliseconds m_pollInterval{20};
  bool m_active = false;
  bool m_abortRequested = false;
};

}  // namespace platform::posix
