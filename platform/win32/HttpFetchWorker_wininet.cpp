// The blocking WinINet calls of one fetch, on a worker thread.
#include "platform/win32/HttpFetchWorker_wininet.h"

#include <windows.h>
#include <wininet.h>
#include <winsock2.h>

#include <algorithm>
#include <utility>

#include "platform/http/SignInRules.h"
#include "platform/http/TransferFailures.h"
#include "platform/win32/WideText.h"

namespace platform::win32 {

namespace {

constexpr DWORD kPieceSize = 32768;

struct InternetHandle {
  HINTERNET h = nullptr;
  explicit InternetHandle(HINTERNET handle) : h(handle) {}
  ~InternetHandle() {
    if (h) ::InternetCloseHandle(h);
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
};

FetchNote failure(int code, std::string description) {
  FetchNote note;
  note.kind = FetchNote::Kind::kFailure;
  note.code = code;
  note.description = std::move(description);
  return note;
}

// WinINet's error as the component reports it: the engine codes every component shares, or the
// WinINet number itself for the rest.
FetchNote failureOf(DWORD error, const FetchRequest& r) {
  const std::string server = r.proxy.empty()
                                 ? r.target.host + " port " + std::to_string(r.target.port)
                                 : "the proxy " + r.proxy;
  // Wine's WinINet passes some socket errors through as they are (WSAETIMEDOUT for a receive
  // time-out): they mean the same here.
  switch (error) {
    case ERROR_INTERNET_TIMEOUT:
    case WSAETIMEDOUT:
      return failure(http::kErrorTimedOut, "Timed out waiting for " + server);
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
      return failure(http::kErrorUnknownHost, "Could not resolve host: " + r.target.host);
    case ERROR_INTERNET_CANNOT_CONNECT:
    case WSAECONNREFUSED:
      return failure(http::kErrorCannotConnect, "Could not connect to " + server);
    case ERROR_INTERNET_CONNECTION_RESET:
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case WSAECONNRESET:
    case WSAECONNABORTED:
      return failure(http::kErrorConnectionReset, "Connection reset by the server");
    case ERROR_INTERNET_INVALID_URL:
    case ERROR_INTERNET_UNRECOGNIZED_SCHEME:
      return failure(http::kErrorBadUrl, "The URL is not valid");
    default:
      return failure(static_cast<int>(error), "WinINet error " + std::to_string(error));
  }
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

// The fields of a raw head ("HTTP/1.1 200 OK\r\nName: value\r\n..."), folded lines joined.
std::vector<std::pair<std::string, std::string>> headerFields(std::string_view raw) {
  std::vector<std::pair<std::string, std::string>> fields;
  bool statusLine = true;
  while (!raw.empty()) {
    const size_t end = raw.find('\n');
    const std::string_view line = raw.substr(0, end);
    raw = end == std::string_view::npos ? std::string_view() : raw.substr(end + 1);
    if (statusLine) {
      statusLine = false;
      continue;
    }
    if (trimmed(line).empty()) continue;
    if ((line.front() == ' ' || line.front() == '\t') && !fields.empty()) {
      fields.back().second += " ";
      fields.back().second += trimmed(line);
      continue;
    }
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    fields.emplace_back(std::string(trimmed(line.substr(0, colon))),
                        std::string(trimmed(line.substr(colon + 1))));
  }
  return fields;
}

std::string queryText(HINTERNET request, DWORD info) {
  DWORD size = 0;
  ::HttpQueryInfoA(request, info, nullptr, &size, nullptr);
  if (size == 0) return {};
  std::string text(size, '\0');
  if (!::HttpQueryInfoA(request, info, text.data(), &size, nullptr)) return {};
  text.resize(size);
  return text;
}

int statusOf(HINTERNET request) {
  DWORD status = 0;
  DWORD size = sizeof status;
  ::HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                   nullptr);
  return static_cast<int>(status);
}

void setTimeouts(HINTERNET handle, const FetchRequest& r) {
  // Each is a wish: a failure leaves WinINet's default, and the window's thread keeps its own
  // watch for a silent server.
  DWORD connect = r.connectTimeoutMs;
  DWORD receive = r.receiveTimeoutMs;
  ::InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
  ::InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &receive, sizeof receive);
  ::InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
}

// Sends the request; a proxy's challenge to a scheme WinINet answers itself is answered once
// more on the same handle. False once a failure was posted.
bool sendRequest(HINTERNET request, const FetchRequest& r, FetchChannel& channel) {
  // A proxy's cache must never hand out a file the publisher has replaced.
  std::string fields = "Cache-Control: no-cache\r\nPragma: no-cache\r\n";
  const bool basic = r.scheme == http::AuthScheme::kBasic;
  if (basic)
    fields += "Proxy-Authorization: " + http::basicAuthorization(r.user, r.password) + "\r\n";
  ::HttpAddRequestHeadersA(request, fields.c_str(), static_cast<DWORD>(fields.size()),
                           HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE);
  if (r.scheme && !basic && !r.user.empty()) {
    const std::wstring user = widen(r.user);
    const std::wstring password = widen(r.password);
    ::InternetSetOptionW(request, INTERNET_OPTION_PROXY_USERNAME,
                         const_cast<wchar_t*>(user.c_str()), static_cast<DWORD>(user.size() + 1));
    ::InternetSetOptionW(request, INTERNET_OPTION_PROXY_PASSWORD,
                         const_cast<wchar_t*>(password.c_str()),
                         static_cast<DWORD>(password.size() + 1));
  }
  for (int leg = 0;; ++leg) {
    if (!::HttpSendRequestA(request, nullptr, 0, nullptr, 0)) {
      if (!channel.abandoned()) channel.post(failureOf(::GetLastError(), r));
      return false;
    }
    if (!r.scheme || basic || leg == 2 || statusOf(request) != 407) return true;
    // The challenge's page is read away before the answer goes out on the same connection.
    std::string sink(4096, '\0');
    DWORD read = 0;
    while (::InternetReadFile(request, sink.data(), static_cast<DWORD>(sink.size()), &read) &&
           read > 0) {
    }
  }
}

}  // namespace

FetchSession::~FetchSession() {
  if (m_handle) ::InternetCloseHandle(m_handle);
}

void* FetchSession::forProxy(const std::string& proxy) {
  if (m_handle && proxy == m_proxy) return m_handle;
  if (m_handle) ::InternetCloseHandle(m_handle);
  const bool direct = proxy.empty();
  m_handle = ::InternetOpenA("Brevan-Update/2.5",
                             direct ? INTERNET_OPEN_TYPE_DIRECT : INTERNET_OPEN_TYPE_PROXY,
                             direct ? nullptr : proxy.c_str(), nullptr, 0);
  m_proxy = proxy;
  return m_handle;
}

void runFetch(const FetchRequest& r, FetchChannel& channel, FetchSession& sessions) {
  // A fetch the window's thread left while it waited in the queue is not started.
  if (channel.abandoned()) return;
  const HINTERNET session = sessions.forProxy(r.proxy);
  if (!session) {
    channel.post(failureOf(::GetLastError(), r));
    return;
  }
  InternetHandle connection(::InternetConnectA(session, r.target.host.c_str(), r.target.port,
                                               nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection.h) {
    channel.post(failureOf(::GetLastError(), r));
    return;
  }
  // Each fetch brings its own time-outs; the request inherits them from its connection.
  setTimeouts(connection.h, r);
  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI |
                INTERNET_FLAG_KEEP_CONNECTION;
  if (r.target.secure) flags |= INTERNET_FLAG_SECURE;
  // The ANSI call takes the target's bytes as they stand: CP932 names reach the server raw.
  HINTERNET opened = ::HttpOpenRequestA(connection.h, "GET", r.target.object.c_str(), "HTTP/1.1",
                                        nullptr, nullptr, flags, 0);
  if (!opened) {
    channel.post(failureOf(::GetLastError(), r));
    return;
  }
  // From here the channel owns the handle: the window's thread closes it to end a blocking call.
  if (!channel.adoptRequest(opened)) return;
  struct Release {
    FetchChannel& channel;
    ~Release() { channel.releaseRequest(); }
  } release{channel};
  setTimeouts(opened, r);
  if (!sendRequest(opened, r, channel)) return;

  FetchNote head;
  head.kind = FetchNote::Kind::kHead;
  head.status = statusOf(opened);
  head.reason = queryText(opened, HTTP_QUERY_STATUS_TEXT);
  head.fields = headerFields(queryText(opened, HTTP_QUERY_RAW_HEADERS_CRLF));
  const bool success = head.status >= 200 && head.status <= 299;
  if (!channel.post(std::move(head)) || !success) return;

  std::string buffer(kPieceSize, '\0');
  for (;;) {
    // Waits until some bytes are there, so a slow body still arrives piece by piece. Only a
    // read of 0 bytes ends the body: "nothing available" may come before the end.
    DWORD available = 0;
    if (!::InternetQueryDataAvailable(opened, &available, 0, 0)) available = 1;
    if (channel.abandoned()) return;
    DWORD read = 0;
    const DWORD want = std::clamp<DWORD>(available, 1, kPieceSize);
    if (!::InternetReadFile(opened, buffer.data(), want, &read)) {
      if (!channel.abandoned()) channel.post(failureOf(::GetLastError(), r));
      return;
    }
    if (read == 0) {
      FetchNote end;
      end.kind = FetchNote::Kind::kEnd;
      channel.post(std::move(end));
      return;
    }
    FetchNote piece;
    piece.kind = FetchNote::Kind::kPiece;
    piece.bytes.assign(buffer.data(), read);
    if (!channel.post(std::move(piece))) return;
  }
}

}  // namespace platform::win32
