// The update mirror's life cycle: listening, accepting, one thread per connection, stopping.
#include "tools/update-mirror/UpdateMirror.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "tools/update-mirror/MirrorConnection.h"

namespace mirror {

namespace {

[[noreturn]] void failStart(const std::string& what) {
  throw std::runtime_error("update mirror: " + what + ": " + std::strerror(errno));
}

}  // namespace

UpdateMirror::UpdateMirror(Options options) : m_options(std::move(options)) {}

UpdateMirror::~UpdateMirror() { stop(); }

std::string UpdateMirror::baseUrl() const { return "http://127.0.0.1:" + std::to_string(m_port); }

uint16_t UpdateMirror::start() {
  if (m_acceptThread.joinable()) return m_port;
  char real[PATH_MAX];
  struct stat st {};
  if (!::realpath(m_options.root.c_str(), real) || ::stat(real, &st) != 0 || !S_ISDIR(st.st_mode)) {
    failStart("root " + m_options.root);
  }
  m_realRoot = real;
  if (!m_options.logFile.empty()) {
    m_logFile = std::fopen(m_options.logFile.c_str(), "ab");
    if (!m_logFile) failStart("log " + m_options.logFile);
  }
  if (!m_options.headLogFile.empty()) {
    m_headLogFile = std::fopen(m_options.headLogFile.c_str(), "ab");
    if (!m_headLogFile) failStart("log " + m_options.headLogFile);
  }
  m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (m_listenFd < 0) failStart("socket");
  const int one = 1;
  (void)::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);  // restarts only
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(m_options.port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) failStart("bind");
  if (::listen(m_listenFd, 64) != 0) failStart("listen");
  socklen_t len = sizeof addr;
  if (::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    failStart("getsockname");
  }
  m_port = ntohs(addr.sin_port);
  if (::pipe2(m_wakePipe, O_CLOEXEC) != 0) failStart("pipe");
  m_stopping = false;
  m_acceptThread = std::thread([this] { acceptLoop(); });
  return m_port;
}

void UpdateMirror::acceptLoop() {
  for (;;) {
    pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (m_stopping || fds[1].revents) return;
    if (!(fds[0].revents & POLLIN)) continue;
    const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    const int one = 1;
    (void)::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);  // latency only
    ++m_connections;
    std::lock_guard lock(m_mutex);
    for (auto it = m_open.begin(); it != m_open.end();) {
      if ((*it)->finished) {
        (*it)->thread.join();
        it = m_open.erase(it);
      } else {
        ++it;
      }
    }
    auto conn = std::make_unique<Connection>();
    conn->fd = fd;
    Connection* c = conn.get();
    m_open.push_back(std::move(conn));
    c->thread = std::thread([this, c] {
      serve(*c);
      closeConnection(*c, false);
      c->finished = true;
    });
  }
}

void UpdateMirror::stop() {
  if (!m_acceptThread.joinable()) return;
  m_stopping = true;
  const char wake = 1;
  (void)!::write(m_wakePipe[1], &wake, 1);  // the poll also ends on m_stopping's next check
  m_acceptThread.join();
  std::list<std::unique_ptr<Connection>> open;
  {
    std::lock_guard lock(m_mutex);
    // Shutting the sockets down wakes threads blocked in recv or send, also stalled ones.
    for (auto& c : m_open) {
      if (c->fd >= 0) (void)::shutdown(c->fd, SHUT_RDWR);
    }
    open.swap(m_open);
    m_stopSignal.notify_all();
  }
  for (auto& c : open) c->thread.join();
  ::close(m_listenFd);
  ::close(m_wakePipe[0]);
  ::close(m_wakePipe[1]);
  m_listenFd = m_wakePipe[0] = m_wakePipe[1] = -1;
  if (m_logFile) std::fclose(m_logFile);
  m_logFile = nullptr;
  if (m_headLogFile) std::fclose(m_headLogFile);
  m_headLogFile = nullptr;
}

void UpdateMirror::closeConnection(Connection& c, bool reset) {
  std::lock_guard lock(m_mutex);
  if (c.fd < 0) return;
  if (reset) {
    const linger hard{1, 0};
    (void)::setsockopt(c.fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);  // RST on close
  }
  ::close(c.fd);
  c.fd = -1;
}

bool UpdateMirror::pause(int ms) {
  std::unique_lock lock(m_mutex);
  return !m_stopSignal.wait_for(lock, std::chrono::milliseconds(ms),
                                [this] { return m_stopping.load(); });
}

void UpdateMirror::setFault(const std::string& fileName, const Fault& fault) {
  std::lock_guard lock(m_mutex);
  m_faults[fileName] = fault;
}

void UpdateMirror::clearFault(const std::string& fileName) {
  std::lock_guard lock(m_mutex);
  m_faults.erase(fileName);
}

void UpdateMirror::clearFaults() {
  std::lock_guard lock(m_mutex);
  m_faults.clear();
}

Fault UpdateMirror::faultFor(const std::string& fileName) const {
  std::lock_guard lock(m_mutex);
  const auto it = m_faults.find(fileName);
  return it == m_faults.end() ? Fault{} : it->second;
}

std::vector<std::string> UpdateMirror::requestLog() const {
  std::lock_guard lock(m_mutex);
  return m_log;
}

std::vector<std::string> UpdateMirror::requestHeads() const {
  std::lock_guard lock(m_mutex);
  return m_heads;
}

void UpdateMirror::logRequest(const std::string& target, const std::string& head) {
  std::lock_guard lock(m_mutex);
  m_log.push_back(target);
  m_heads.push_back(head);
  if (m_headLogFile) {
    std::fwrite(head.data(), 1, head.size(), m_headLogFile);
    std::fputs("\r\n\r\n", m_headLogFile);
    std::fflush(m_headLogFile);
  }
  if (m_logFile) {
    std::fwrite(target.data(), 1, target.size(), m_logFile);
    std::fputc('\n', m_logFile);
    std::fflush(m_logFile);
  }
}

}  // namespace mirror
