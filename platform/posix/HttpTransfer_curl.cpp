// The HTTP transfer component on libcurl's multi interface, run on the window's thread.
#include "platform/posix/HttpTransfer_curl.h"

#include <curl/curl.h>

#include <algorithm>
#include <exception>

#include "platform/posix/HttpTransferState_curl.h"

namespace platform::posix {

namespace {

bool g_engineReady = false;

// libcurl takes "::1" as a host with a port; an address with more than one colon is IPv6.
std::string proxyHostOption(const std::string& host) {
  if (host.find("://") == std::string::npos && host.find('[') == std::string::npos &&
      std::count(host.begin(), host.end(), ':') > 1) {
    return "[" + host + "]";
  }
  return host;
}

// The path and query of an absolute URL, as they stand ("/" when there is none).
std::string originTarget(const std::string& url) {
  const size_t scheme = url.find("://");
  const size_t start = url.find_first_of("/?#", scheme == std::string::npos ? 0 : scheme + 3);
  if (start == std::string::npos || url[start] == '#') return "/";
  std::string target = url.substr(start, url.find('#', start) - start);
  if (target.front() == '?') target.insert(0, "/");
  return target;
}

}  // namespace

bool initHttpEngine() {
  if (!g_engineReady) g_engineReady = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return g_engineReady;
}

void cleanupHttpEngine() {
  if (g_engineReady) curl_global_cleanup();
  g_engineReady = false;
}

CurlHttpTransfer::CurlHttpTransfer(const MachineFolder& machine, TextCodec& codec,
                                   MessagePump& pump, LastError& lastError)
    : m_machine(machine),
      m_codec(codec),
      m_pump(pump),
      m_lastError(lastError),
      m_engine(std::make_unique<Engine>()) {}

CurlHttpTransfer::~CurlHttpTransfer() = default;

void CurlHttpTransfer::ResetTransfer() {
  if (m_active) m_abortRequested = true;
}

void CurlHttpTransfer::AbortTransfer() {
  if (m_active) m_abortRequested = true;
}

void CurlHttpTransfer::setTimeouts(std::chrono::milliseconds connect,
                                   std::chrono::milliseconds stall) {
  m_connectTimeout = connect;
  m_stallTimeout = stall;
}

void CurlHttpTransfer::setPollInterval(std::chrono::milliseconds interval) {
  m_pollInterval = std::max(interval, std::chrono::milliseconds(1));
}

void CurlHttpTransfer::FetchURL(const std::string& url) {
  const std::string target = requestTarget(url);
  Fetch f;
  openBody(f);
  setOptions(f, target);

  m_active = true;
  m_abortRequested = false;
  struct Running {
    CurlHttpTransfer& self;
    ~Running() {
      curl_multi_remove_handle(self.m_engine->multi, self.m_engine->easy);
      // The handle must not point at this fetch's state once it is gone.
      curl_easy_reset(self.m_engine->easy);
      self.m_active = false;
    }
  } running{*this};
  if (curl_multi_add_handle(m_engine->multi, m_engine->easy) != CURLM_OK) {
    fail(f, kEngineErrorBase + CURLE_FAILED_INIT, "The HTTP engine could not start");
  }
  runLoop(f);
  curl_multi_remove_handle(m_engine->multi, m_engine->easy);

  checkOutcome(f);
  finish(f);
}

std::string CurlHttpTransfer::requestTarget(const std::string& url) {
  if (m_active) throw EipwHTTP(kErrorTransferBusy, "A transfer is already in progress");
  if (!m_engine->multi || !m_engine->easy) {
    throw EipwHTTP(kEngineErrorBase + CURLE_FAILED_INIT, "The HTTP engine could not start");
  }
  if (m_proxyPort < 0 || m_proxyPort > 65535) {
    throw EipwHTTP(kEngineErrorBase + CURLE_BAD_FUNCTION_ARGUMENT,
                   "Invalid proxy port " + std::to_string(m_proxyPort));
  }
  // Names are sent in the program's code page; a character it lacks would turn into '?', which
  // starts a query and would ask for another file.
  std::string target = m_codec.toCp932(url);
  if (std::count(target.begin(), target.end(), '?') != std::count(url.begin(), url.end(), '?')) {
    throw EipwHTTP(kEngineErrorBase + CURLE_URL_MALFORMAT,
                   "The URL has characters outside code page 932");
  }
  return target;
}

void CurlHttpTransfer::openBody(Fetch& f) {
  // An empty LocalFile leaves the body to the OnTransfer events.
  if (m_localFile.empty()) return;
  const auto native = m_machine.nativePath(m_localFile);
  const Status st = native ? f.body.open(*native) : Status::failure(kErrorPathNotFound);
  if (!st.ok()) {
    m_lastError.set(st.error);
    throw EipwHTTP(kErrorLocalFile,
                   "Cannot write the local file (error " + std::to_string(st.error) + ")");
  }
  f.storeBody = true;
}

void CurlHttpTransfer::setOptions(Fetch& f, const std::string& target) {
  CURL* easy = m_engine->easy;
  curl_easy_reset(easy);
  curl_easy_setopt(easy, CURLOPT_URL, target.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_USERAGENT, "Brevan-Update/2.5");
  // Larger reads than the default give fewer rounds of the loop; libcurl reads up to 100 of
  // them per round, so one round still holds a few megabytes at most.
  curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 32768L);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_connectTimeout.count()));
  // An empty proxy must also override http_proxy and friends from the environment; a set one
  // is used for every host, whatever no_proxy says. libcurl copies the texts it is given.
  const std::string proxy = proxyHostOption(m_proxyHost);
  // libcurl percent-encodes bytes above 0x7F in the path of a direct request (not in a proxy's
  // absolute target); the server expects the CP932 name as it stands.
  const std::string origin = originTarget(target);
  if (proxy.empty()) curl_easy_setopt(easy, CURLOPT_REQUEST_TARGET, origin.c_str());
  curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str());
  curl_easy_setopt(easy, CURLOPT_NOPROXY, "");
  curl_easy_setopt(easy, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
  // A tunnel's "200 Connection established" must not pass for the response's head.
  curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  curl_easy_setopt(easy, CURLOPT_PROXYPORT, static_cast<long>(m_proxyPort == 0 ? 80 : m_proxyPort));
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Fetch::onHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &f);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Fetch::onBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &f);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, f.errorBuffer);
}

void CurlHttpTransfer::checkOutcome(Fetch& f) {
  if (f.handlerError) {
    try {
      std::rethrow_exception(f.handlerError);
    } catch (const std::exception& e) {
      fail(f, kErrorTransferAborted, e.what());
    } catch (...) {
      f.body.discard();
      throw;
    }
  }
  if (m_abortRequested) fail(f, kErrorTransferAborted, "Transfer aborted");
  if (f.stalled) {
    fail(f, kErrorTimedOut,
         "No data received for " + std::to_string(m_stallTimeout.count()) + " ms");
  }
  if (!f.writeStatus.ok()) {
    m_lastError.set(f.writeStatus.error);
    fail(f, kErrorLocalFile,
         "Cannot write the local file (error " + std::to_string(f.writeStatus.error) + ")");
  }
  if (f.head.complete() && !isSuccessStatus(f.head.status())) {
    fail(f, f.head.status(), reasonText(f.head.status(), f.head.reason()));
  }
  if (f.result != CURLE_OK) {
    fail(f, kEngineErrorBase + f.result,
         f.errorBuffer[0] ? std::string(f.errorBuffer) : curl_easy_strerror(f.result));
  }
  curl_off_t announced = -1;
  curl_easy_getinfo(m_engine->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
  if (announced >= 0 && announced != f.received) {
    fail(f, kErrorShortBody,
         "Transferred a partial file: " + std::to_string(f.received) + " of " +
             std::to_string(announced) + " bytes");
  }
}

void CurlHttpTransfer::finish(Fetch& f) {
  if (f.storeBody) {
    const Status st = f.body.commit();
    if (!st.ok()) {
      m_lastError.set(st.error);
      fail(f, kErrorLocalFile,
           "Cannot write the local file (error " + std::to_string(st.error) + ")");
    }
  }
  auto raise = [&](auto&& call) {
    try {
      if (m_events) call(*m_events);
    } catch (const std::exception& e) {
      f.ended = true;
      fail(f, kErrorTransferAborted, e.what());
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

}  // namespace platform::posix
