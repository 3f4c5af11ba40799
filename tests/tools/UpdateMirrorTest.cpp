// The update mirror over real loopback sockets: files, proxy targets, keep-alive, log, faults.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/update-mirror/UpdateMirror.h"

namespace fs = std::filesystem;

namespace mirror {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

enum class End { kClosed, kReset, kSilent };

struct Received {
  std::string bytes;
  End end = End::kSilent;
};

int connectTo(uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void sendText(int fd, const std::string& text) {
  ASSERT_EQ(::send(fd, text.data(), text.size(), MSG_NOSIGNAL), static_cast<ssize_t>(text.size()));
}

// Reads until the server closes or resets, or until nothing came for quietMs.
Received readUntilEnd(int fd, int quietMs = 2000) {
  Received r;
  char buf[65536];
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, quietMs) <= 0) return r;
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n == 0) {
      r.end = End::kClosed;
      return r;
    }
    if (n < 0) {
      r.end = errno == ECONNRESET ? End::kReset : End::kClosed;
      return r;
    }
    r.bytes.append(buf, static_cast<size_t>(n));
  }
}

// Reads one response whose body length the head announces (no body after a HEAD request).
std::string readResponse(int fd, bool headOnly = false) {
  std::string data;
  char buf[4096];
  size_t headEnd;
  while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) return data;
    data.append(buf, static_cast<size_t>(n));
  }
  const size_t at = data.find("Content-Length: ");
  const size_t length = at == std::string::npos || headOnly ? 0 : std::stoul(data.substr(at + 16));
  while (data.size() < headEnd + 4 + length) {
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) break;
    data.append(buf, static_cast<size_t>(n));
  }
  return data;
}

std::string bodyOf(const std::string& response) {
  const size_t end = response.find("\r\n\r\n");
  return end == std::string::npos ? "" : response.substr(end + 4);
}

class UpdateMirrorTest : public ::testing::Test {
 protected:
  UpdateMirrorTest() {
    m_scratch = (fs::temp_directory_path() / "brevan-mirror-XXXXXX").string();
    if (!::mkdtemp(m_scratch.data())) throw std::runtime_error("mkdtemp");
    fs::create_directories(m_scratch + "/root/brevan/v128");
    put("brevan/v128/PictDesk.ex_", "0123456789");
    put("brevan/v128/ヘルプ.lzh", "help");
    std::ofstream(m_scratch + "/secret") << "outside";
    fs::create_symlink(m_scratch + "/secret", m_scratch + "/root/brevan/v128/link");
    m_mirror = std::make_unique<UpdateMirror>(
        UpdateMirror::Options{m_scratch + "/root", 0, m_scratch + "/requests.log"});
    m_port = m_mirror->start();
  }
  ~UpdateMirrorTest() override {
    m_mirror.reset();
    std::error_code ignored;
    fs::remove_all(m_scratch, ignored);
  }
  void put(const std::string& path, const std::string& bytes) {
    std::ofstream(m_scratch + "/root/" + path, std::ios::binary) << bytes;
  }
  // One request on a fresh connection, read to its end.
  Received get(const std::string& target, int quietMs = 2000) {
    const int fd = connectTo(m_port);
    sendText(fd, "GET " + target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    Received r = readUntilEnd(fd, quietMs);
    ::close(fd);
    return r;
  }

  std::string m_scratch;
  std::unique_ptr<UpdateMirror> m_mirror;
  uint16_t m_port = 0;
};

TEST_F(UpdateMirrorTest, ServesOriginAndProxyTargetsAndRefusesTheRest) {
  struct Row {
    std::string target;
    std::string statusLine;
    std::string body;
  };
  const Row rows[] = {
      {"/brevan/v128/PictDesk.ex_", "HTTP/1.1 200 OK", "0123456789"},
      {"http://update.brevan.invalid/brevan/v128/PictDesk.ex_", "HTTP/1.1 200 OK", "0123456789"},
      {"/brevan/v128/\x83\x77\x83\x8B\x83\x76.lzh", "HTTP/1.1 200 OK", "help"},
      {"/brevan/v128/pictdesk.ex_", "HTTP/1.1 404 Not Found", "Not Found\n"},
      {"/brevan/v128", "HTTP/1.1 404 Not Found", "Not Found\n"},
      {"/", "HTTP/1.1 404 Not Found", "Not Found\n"},
      {"/brevan/v128/link", "HTTP/1.1 404 Not Found", "Not Found\n"},
      {"/brevan/../../secret", "HTTP/1.1 400 Bad Request", "Bad Request\n"},
      {"/%2e%2e/secret", "HTTP/1.1 400 Bad Request", "Bad Request\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.target);
    const Received got = get(r.target);
    EXPECT_EQ(got.bytes.substr(0, got.bytes.find("\r\n")), r.statusLine);
    EXPECT_EQ(bodyOf(got.bytes), r.body);
    EXPECT_THAT(got.bytes, HasSubstr("Content-Length: " + std::to_string(r.body.size())));
  }
}

TEST_F(UpdateMirrorTest, KeepsTheConnectionForTheNextRequestAndAnswersHead) {
  const int fd = connectTo(m_port);
  sendText(fd, "GET /brevan/v128/PictDesk.ex_ HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_EQ(bodyOf(readResponse(fd)), "0123456789");
  sendText(fd, "HEAD /brevan/v128/PictDesk.ex_ HTTP/1.1\r\nHost: x\r\n\r\n");
  const std::string head = readResponse(fd, true);
  EXPECT_EQ(bodyOf(head), "");
  EXPECT_THAT(head, HasSubstr("Content-Length: 10\r\n"));
  sendText(fd, "POST /brevan/v128/PictDesk.ex_ HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
  const Received last = readUntilEnd(fd);
  EXPECT_THAT(last.bytes, HasSubstr("HTTP/1.1 501 Not Implemented"));
  EXPECT_EQ(last.end, End::kClosed);
  ::close(fd);
  EXPECT_EQ(m_mirror->connectionCount(), 1);
}

TEST_F(UpdateMirrorTest, LogsEveryTargetAsRawBytesOneLineEach) {
  get("/brevan/v128/\x83\x77\x83\x8B\x83\x76.lzh");
  get("http://h/brevan/v128/missing");
  EXPECT_THAT(m_mirror->requestLog(), ElementsAre("/brevan/v128/\x83\x77\x83\x8B\x83\x76.lzh",
                                                  "http://h/brevan/v128/missing"));
  std::ifstream log(m_scratch + "/requests.log", std::ios::binary);
  std::stringstream text;
  text << log.rdbuf();
  EXPECT_EQ(text.str(),
            "/brevan/v128/\x83\x77\x83\x8B\x83\x76.lzh\nhttp://h/brevan/v128/missing\n");
}

TEST_F(UpdateMirrorTest, InjectsEachFaultOnTheWire) {
  const std::string body(1000, 'b');
  put("brevan/v128/F", body);
  struct Row {
    const char* fault;
    size_t bodyBytes;
    bool announcesLength;
    End end;
    const char* statusLine;
  };
  const Row rows[] = {
      {"short", 500, true, End::kClosed, "HTTP/1.1 200 OK"},
      {"short:10", 10, true, End::kClosed, "HTTP/1.1 200 OK"},
      {"nolength", 1000, false, End::kClosed, "HTTP/1.1 200 OK"},
      {"reset:100", 100, true, End::kReset, "HTTP/1.1 200 OK"},
      {"slow:300:1", 1000, true, End::kClosed, "HTTP/1.1 200 OK"},
      {"stall:20", 20, true, End::kSilent, "HTTP/1.1 200 OK"},
      {"status:503", 20, true, End::kClosed, "HTTP/1.1 503 Service Unavailable"},
      {"hang", 0, false, End::kSilent, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.fault);
    m_mirror->setFault("F", *parseFault(r.fault));
    // The silent cases are read for a moment only: nothing more is coming.
    const Received got = get("/brevan/v128/F", r.end == End::kSilent ? 150 : 2000);
    EXPECT_EQ(got.end, r.end);
    EXPECT_EQ(got.bytes.substr(0, got.bytes.find("\r\n")), r.statusLine);
    if (r.statusLine[0] == '\0') continue;
    EXPECT_EQ(bodyOf(got.bytes).size(), r.bodyBytes);
    EXPECT_EQ(got.bytes.find("Content-Length:") != std::string::npos, r.announcesLength);
  }
  m_mirror->clearFault("F");
  EXPECT_EQ(bodyOf(get("/brevan/v128/F").bytes), body);
}

TEST_F(UpdateMirrorTest, StopEndsStalledConnections) {
  m_mirror->setFault("PictDesk.ex_", *parseFault("stall"));
  const int stalled = connectTo(m_port);
  sendText(stalled, "GET /brevan/v128/PictDesk.ex_ HTTP/1.1\r\nHost: x\r\n\r\n");
  const int idle = connectTo(m_port);
  EXPECT_EQ(readUntilEnd(stalled, 100).end, End::kSilent);
  m_mirror->stop();
  EXPECT_NE(readUntilEnd(stalled).end, End::kSilent);
  EXPECT_NE(readUntilEnd(idle).end, End::kSilent);
  ::close(stalled);
  ::close(idle);
  EXPECT_EQ(connectTo(m_port), -1);
}

TEST_F(UpdateMirrorTest, OversizedHeadIsRefused) {
  const int fd = connectTo(m_port);
  const std::string huge = "GET / HTTP/1.1\r\nX: " + std::string(70000, 'x');
  ::send(fd, huge.data(), huge.size(), MSG_NOSIGNAL);
  const Received got = readUntilEnd(fd);
  EXPECT_THAT(got.bytes, HasSubstr("431"));
  ::close(fd);
}

TEST(UpdateMirrorStartTest, MissingRootIsRefused) {
  UpdateMirror m({"/nonexistent/brevan-root", 0, ""});
  EXPECT_THROW(m.start(), std::runtime_error);
}

TEST_F(UpdateMirrorTest, CommandLineMirrorPrintsItsPortAndTakesFaults) {
  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  const std::string root = m_scratch + "/root";
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::close(out[0]);
    ::execl(BREVAN_MIRROR_PROGRAM, "brevan-mirror", "--root", root.c_str(), "--fault",
            "PictDesk.ex_=status:500", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(out[1]);
  FILE* printed = ::fdopen(out[0], "r");
  unsigned port = 0;
  const int fields = std::fscanf(printed, "%u", &port);
  m_port = static_cast<uint16_t>(port);
  if (fields == 1) {
    const Received got = get("/brevan/v128/PictDesk.ex_");
    EXPECT_EQ(got.bytes.substr(0, got.bytes.find("\r\n")), "HTTP/1.1 500 Internal Server Error");
  } else {
    ADD_FAILURE() << "no port printed";
  }
  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);
  std::fclose(printed);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace mirror
