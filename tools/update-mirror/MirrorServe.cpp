// How the update mirror answers the requests of one connection, faults included.
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "tools/update-mirror/MirrorConnection.h"
#include "tools/update-mirror/MirrorRequest.h"

namespace mirror {

namespace {

constexpr size_t kMaxHead = 64 * 1024;
constexpr size_t kChunk = 64 * 1024;

std::string connectionField(bool keepOpen) {
  return keepOpen ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
}

bool hasHighBytes(const std::string& target) {
  return std::any_of(target.begin(), target.end(),
                     [](char ch) { return static_cast<unsigned char>(ch) >= 0x80; });
}

// The Proxy-Authorization value a client sends for the pair with Basic.
std::string basicAnswer(const std::string& user, const std::string& password) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const std::string plain = user + ":" + password;
  std::string out = "Basic ";
  for (size_t i = 0; i < plain.size(); i += 3) {
    uint32_t n = static_cast<uint32_t>(static_cast<unsigned char>(plain[i])) << 16;
    if (i + 1 < plain.size())
      n |= static_cast<uint32_t>(static_cast<unsigned char>(plain[i + 1])) << 8;
    if (i + 2 < plain.size()) n |= static_cast<unsigned char>(plain[i + 2]);
    out += kAlphabet[(n >> 18) & 63];
    out += kAlphabet[(n >> 12) & 63];
    out += i + 1 < plain.size() ? kAlphabet[(n >> 6) & 63] : '=';
    out += i + 2 < plain.size() ? kAlphabet[n & 63] : '=';
  }
  return out;
}

}  // namespace

bool UpdateMirror::sendAll(Connection& c, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::send(c.fd, data, size, MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

void UpdateMirror::waitForClient(Connection& c) {
  // Until the client gives up or the mirror stops (stop() shuts the socket down).
  char sink[4096];
  while (!m_stopping) {
    const ssize_t n = ::recv(c.fd, sink, sizeof sink, 0);
    if (n == 0 || (n < 0 && errno != EINTR)) return;
  }
}

void UpdateMirror::drainInput(Connection& c, int ms) {
  char sink[4096];
  pollfd p{c.fd, POLLIN, 0};
  while (!m_stopping && ::poll(&p, 1, ms) > 0) {
    if (::recv(c.fd, sink, sizeof sink, 0) <= 0) return;
  }
}

void UpdateMirror::serve(Connection& c) {
  std::string buffer;
  std::vector<char> chunk(16 * 1024);
  bool keepOpen = true;
  while (keepOpen && !m_stopping) {
    size_t end;
    while ((end = buffer.find("\r\n\r\n")) == std::string::npos) {
      if (buffer.size() > kMaxHead) {
        const std::string answer =
            "HTTP/1.1 431 Request Header Fields Too Large\r\nContent-Length: 0\r\n"
            "Connection: close\r\n\r\n";
        (void)sendAll(c, answer.data(), answer.size());  // closing anyway
        // Unread input would turn the close into a reset that can swallow the answer.
        (void)::shutdown(c.fd, SHUT_WR);  // the close follows
        drainInput(c, 500);
        return;
      }
      const ssize_t n = ::recv(c.fd, chunk.data(), chunk.size(), 0);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      buffer.append(chunk.data(), static_cast<size_t>(n));
    }
    const std::string head = buffer.substr(0, end);
    buffer.erase(0, end + 4);
    handleRequest(c, head, keepOpen);
  }
}

void UpdateMirror::handleRequest(Connection& c, const std::string& head, bool& keepOpen) {
  auto simple = [&](int status) {
    const std::string body = reasonPhrase(status) + "\n";
    const std::string answer =
        "HTTP/1.1 " + std::to_string(status) + " " + reasonPhrase(status) +
        "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
        connectionField(keepOpen) + "\r\n" + body;
    if (!sendAll(c, answer.data(), answer.size())) keepOpen = false;
  };
  const auto request = parseRequestHead(head);
  if (!request) {
    keepOpen = false;
    simple(400);
    return;
  }
  logRequest(request->target, head);
  keepOpen = request->keepAlive;
  if (request->method != "GET" && request->method != "HEAD") return simple(501);
  const auto parts = targetComponents(request->target);
  if (!parts) return simple(400);
  if (parts->empty()) return simple(404);
  std::string path = m_realRoot;
  for (const std::string& part : *parts) path += "/" + part;
  // A symbolic link inside the release may not lead out of it.
  char real[PATH_MAX];
  struct stat st {};
  if (!::realpath(path.c_str(), real) || std::string(real).rfind(m_realRoot + "/", 0) != 0 ||
      ::stat(real, &st) != 0 || !S_ISREG(st.st_mode)) {
    return simple(404);
  }
  const Fault fault = faultFor(parts->back());
  if (fault.kind == FaultKind::kStatus) return simple(fault.status);
  if (fault.kind == FaultKind::kStrict && hasHighBytes(request->target)) return simple(400);
  const bool signedIn = fault.kind == FaultKind::kSignIn &&
                        request->proxyAuthorization == basicAnswer(fault.user, fault.password);
  if ((fault.kind == FaultKind::kSignIn && !signedIn) || fault.kind == FaultKind::kSignInLoop ||
      fault.kind == FaultKind::kSignInUnknown) {
    const std::string body = "sign in first\n";
    const std::string challenge = fault.kind == FaultKind::kSignInUnknown
                                      ? "Proxy-Authenticate: Secret realm=\"brevan\"\r\n"
                                      : "Proxy-Authenticate: Basic realm=\"brevan\"\r\n";
    const std::string answer = "HTTP/1.1 407 Proxy Authentication Required\r\n" + challenge +
                               "Content-Length: " + std::to_string(body.size()) + "\r\n" +
                               connectionField(keepOpen) + "\r\n" + body;
    if (!sendAll(c, answer.data(), answer.size())) keepOpen = false;
    return;
  }
  sendFile(c, real, request->method, fault, keepOpen);
}

void UpdateMirror::sendFile(Connection& c, const std::string& path, const std::string& method,
                            const Fault& fault, bool& keepOpen) {
  if (fault.kind == FaultKind::kHang) {
    waitForClient(c);
    keepOpen = false;
    return;
  }
  const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (file < 0 || ::fstat(file, &st) != 0) {
    if (file >= 0) ::close(file);
    keepOpen = false;
    return;
  }
  const auto size = static_cast<size_t>(st.st_size);
  if (fault.kind == FaultKind::kNoLength || fault.kind == FaultKind::kLength) keepOpen = false;
  std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n";
  if (fault.kind != FaultKind::kNoLength) {
    const size_t announced = fault.kind == FaultKind::kLength ? fault.bytes : size;
    head += "Content-Length: " + std::to_string(announced) + "\r\n";
  }
  head += connectionField(keepOpen) + "\r\n";
  size_t limit = size;
  const bool cut = fault.kind == FaultKind::kShortBody || fault.kind == FaultKind::kReset ||
                   fault.kind == FaultKind::kStall;
  if (cut) limit = fault.bytes == kHalfBody ? size / 2 : std::min(fault.bytes, size);
  // A body of a given length without Content-Length: the file, then zero bytes if it is shorter.
  const bool sized = fault.kind == FaultKind::kNoLength && fault.bytes != kHalfBody && fault.bytes;
  size_t padding = 0;
  if (sized) {
    limit = std::min(fault.bytes, size);
    padding = fault.bytes - limit;
  }
  if (method == "HEAD") limit = 0;
  const size_t piece = fault.kind == FaultKind::kSlow ? fault.bytes : kChunk;
  // The head goes out in one send with the first piece of the body: a small file is then one
  // segment, and no reply waits on a second write.
  std::string out = std::move(head);
  const size_t firstPiece = std::min({piece, kChunk, limit});
  out.resize(out.size() + firstPiece);
  const size_t headSize = out.size() - firstPiece;
  ssize_t got = firstPiece == 0 ? 0 : ::pread(file, out.data() + headSize, firstPiece, 0);
  bool ok = got == static_cast<ssize_t>(firstPiece);
  out.resize(headSize + (got > 0 ? static_cast<size_t>(got) : 0));
  ok = ok && sendAll(c, out.data(), out.size());
  size_t sent = firstPiece;
  if (ok && fault.kind == FaultKind::kSlow && sent < limit) ok = pause(fault.intervalMs);
  std::vector<char> buffer(std::min(piece, kChunk));
  while (ok && sent < limit) {
    const size_t want = std::min({buffer.size(), piece, limit - sent});
    const ssize_t n = ::pread(file, buffer.data(), want, static_cast<off_t>(sent));
    if (n <= 0) {
      ok = false;
      break;
    }
    ok = sendAll(c, buffer.data(), static_cast<size_t>(n));
    sent += static_cast<size_t>(n);
    if (ok && fault.kind == FaultKind::kSlow && sent < limit) ok = pause(fault.intervalMs);
  }
  ::close(file);
  if (ok && padding > 0 && method != "HEAD") {
    const std::string zeros(padding, '\0');
    ok = sendAll(c, zeros.data(), zeros.size());
  }
  if (!ok) {
    keepOpen = false;
    return;
  }
  if (method == "HEAD") return;
  switch (fault.kind) {
    case FaultKind::kShortBody:
      // A clean close (FIN) before the announced length.
      (void)::shutdown(c.fd, SHUT_WR);  // the close follows
      keepOpen = false;
      break;
    case FaultKind::kReset:
      closeConnection(c, true);
      keepOpen = false;
      break;
    case FaultKind::kStall:
      waitForClient(c);
      keepOpen = false;
      break;
    default:
      break;
  }
}

}  // namespace mirror
