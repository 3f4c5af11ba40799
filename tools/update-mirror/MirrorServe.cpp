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
  logTarget(request->target);
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
  if (fault.kind == FaultKind::kNoLength) keepOpen = false;
  std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n";
  if (fault.kind != FaultKind::kNoLength) {
    head += "Content-Length: " + std::to_string(size) + "\r\n";
  }
  head += connectionField(keepOpen) + "\r\n";
  size_t limit = size;
  const bool cut = fault.kind == FaultKind::kShortBody || fault.kind == FaultKind::kReset ||
                   fault.kind == FaultKind::kStall;
  if (cut) limit = fault.bytes == kHalfBody ? size / 2 : std::min(fault.bytes, size);
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
