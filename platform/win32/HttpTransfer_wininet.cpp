// The HTTP transfer component on WinINet: the fetch and how it ends.
#include "platform/win32/HttpTransfer_wininet.h"

#include <algorithm>
#include <exception>
#include <system_error>

#include "platform/win32/HttpFetchWorker_wininet.h"
#include "platform/win32/HttpTransferState_wininet.h"

namespace platform::win32 {

namespace {

constexpr std::chrono::milliseconds kWorkerGrace{5000};

}  // namespace

WinInetTransfer::WinInetTransfer(TextCodec& codec, MessagePump& pump, LastError& lastError)
    : m_codec(codec), m_pump(pump), m_lastError(lastError) {}

WinInetTransfer::~WinInetTransfer() = default;

void WinInetTransfer::ResetTransfer() {
  if (m_active) m_abortRequested = true;
}

void WinInetTransfer::AbortTransfer() {
  if (m_active) m_abortRequested = true;
}

void WinInetTransfer::setTimeouts(std::chrono::milliseconds connect,
                                  std::chrono::milliseconds stall) {
  m_connectTimeout = connect;
  m_stallTimeout = stall;
}

void WinInetTransfer::setPollInterval(std::chrono::milliseconds interval) {
  m_pollInterval = std::max(interval, std::chrono::milliseconds(1));
}

void WinInetTransfer::FetchURL(const std::string& url) {
  if (m_active) throw EipwHTTP(http::kErrorTransferBusy, "A transfer is already in progress");
  if (m_proxyPort < 0 || m_proxyPort > 65535) {
    throw EipwHTTP(http::kErrorBadProxyPort, "Invalid proxy port " + std::to_string(m_proxyPort));
  }
  // Names are sent in the program's code page; a character it lacks would turn into '?', which
  // starts a query and would ask for another file.
  const std::string bytes = m_codec.toCp932(url);
  if (std::count(bytes.begin(), bytes.end(), '?') != std::count(url.begin(), url.end(), '?')) {
    throw EipwHTTP(http::kErrorBadUrl, "The URL has characters outside code page 932");
  }
  const auto target = requestTarget(bytes);
  if (!target) throw EipwHTTP(http::kErrorBadUrl, "The URL is not a valid http address");
  FetchRequest request;
  request.target = *target;
  if (!m_proxyHost.empty()) request.proxy = proxyText(m_proxyHost, m_proxyPort);
  request.connectTimeoutMs = static_cast<unsigned long>(m_connectTimeout.count());
  // The window's thread keeps the watch for a silent server. WinINet's own time-out comes later
  // and only lets a worker that was left behind end: Wine reports a time-out while waiting for
  // the head as a dropped connection.
  request.receiveTimeoutMs = static_cast<unsigned long>((m_stallTimeout + kWorkerGrace).count());

  Fetch f;
  // An empty LocalFile leaves the body to the OnTransfer events.
  if (!m_localFile.empty()) {
    const Status st = f.body.open(m_localFile);
    if (!st.ok()) {
      m_lastError.set(st.error);
      throw EipwHTTP(http::kErrorLocalFile,
                     "Cannot write the local file (error " + std::to_string(st.error) + ")");
    }
    f.storeBody = true;
  }

  std::shared_ptr<FetchChannel> channel;
  try {
    channel = std::make_shared<FetchChannel>();
    startFetchWorker(request, channel);
  } catch (const std::exception&) {
    f.body.discard();
    throw EipwHTTP(http::kEngineErrorBase + 2, "The HTTP engine could not start");
  }
  m_active = true;
  m_abortRequested = false;
  struct Running {
    WinInetTransfer& self;
    FetchChannel& channel;
    ~Running() {
      // Whatever the worker still does is no longer this fetch's business.
      channel.abandon();
      self.m_active = false;
    }
  } running{*this, *channel};
  runLoop(f, *channel);
  finish(f);
}

void WinInetTransfer::finish(Fetch& f) {
  if (f.handlerError) {
    try {
      std::rethrow_exception(f.handlerError);
    } catch (const std::exception& e) {
      fail(f, http::kErrorTransferAborted, e.what());
    } catch (...) {
      f.body.discard();
      throw;
    }
  }
  if (m_abortRequested) fail(f, http::kErrorTransferAborted, "Transfer aborted");
  if (f.stalled) {
    fail(f, http::kErrorTimedOut,
         "No data received for " + std::to_string(m_stallTimeout.count()) + " ms");
  }
  if (!f.writeStatus.ok()) {
    m_lastError.set(f.writeStatus.error);
    fail(f, http::kErrorLocalFile,
         "Cannot write the local file (error " + std::to_string(f.writeStatus.error) + ")");
  }
  if (f.headSeen && !isSuccessStatus(f.status)) {
    fail(f, f.status, http::reasonText(f.status, f.reason));
  }
  if (f.failure) fail(f, f.failure->code, f.failure->description);
  if (f.announced && *f.announced != f.received) {
    fail(f, http::kErrorShortBody,
         "Transferred a partial file: " + std::to_string(f.received) + " of " +
             std::to_string(*f.announced) + " bytes");
  }

  if (f.storeBody) {
    const Status st = f.body.commit();
    if (!st.ok()) {
      m_lastError.set(st.error);
      fail(f, http::kErrorLocalFile,
           "Cannot write the local file (error " + std::to_string(st.error) + ")");
    }
  }
  auto raise = [&](auto&& call) {
    try {
      if (m_events) call(*m_events);
    } catch (const std::exception& e) {
      f.ended = true;
      fail(f, http::kErrorTransferAborted, e.what());
    }
  };
  // An empty body still reports its total, so the caller sees it arrive complete.
  if (!f.pieceRaised) {
    raise([&](HttpTransferEvents& ev) { ev.OnTransfer(*this, 0, 0, std::string_view()); });
  }
  f.ended = true;
  raise([&](HttpTransferEvents& ev) { ev.OnEndTransfer(*this, 0); });
  f.body.keep();
}

}  // namespace platform::win32
