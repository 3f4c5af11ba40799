// The update mirror: a small loopback HTTP server that serves a release folder to direct and
// proxy requests, logs every request target and injects faults on demand.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/update-mirror/MirrorFault.h"

namespace mirror {

class UpdateMirror {
 public:
  struct Options {
    std::string root;           // the release folder; the URL path maps to files under it
    uint16_t port = 0;          // 0: any free port
    std::string logFile;        // empty: no log file (the log is kept in memory all the same)
    std::string headLogFile{};  // every request head, each followed by a blank line; empty: none
  };

  explicit UpdateMirror(Options options);
  // Stops the server.
  ~UpdateMirror();
  UpdateMirror(const UpdateMirror&) = delete;
  UpdateMirror& operator=(const UpdateMirror&) = delete;

  // Listens on 127.0.0.1 and returns the port. Throws std::runtime_error when the root is not
  // a folder, the log cannot be opened or the port cannot be bound.
  uint16_t start();
  // Closes every connection, also stalled ones, and waits for the connection threads.
  void stop();
  uint16_t port() const { return m_port; }
  // "http://127.0.0.1:<port>"
  std::string baseUrl() const;

  // Faults by file name (the last component of the path, UTF-8), also while serving.
  void setFault(const std::string& fileName, const Fault& fault);
  void clearFault(const std::string& fileName);
  void clearFaults();

  // Every request target received, raw bytes, in arrival order.
  std::vector<std::string> requestLog() const;
  // Every request head received (without the blank line), in arrival order.
  std::vector<std::string> requestHeads() const;
  // Connections accepted so far (keep-alive reuse shows as fewer connections than requests).
  int connectionCount() const { return m_connections.load(); }

 private:
  struct Connection;
  void acceptLoop();
  void serve(Connection& c);
  void handleRequest(Connection& c, const std::string& head, bool& keepOpen);
  void sendFile(Connection& c, const std::string& path, const std::string& method,
                const Fault& fault, bool& keepOpen);
  void logRequest(const std::string& target, const std::string& head);
  Fault faultFor(const std::string& fileName) const;
  bool sendAll(Connection& c, const char* data, size_t size);
  void waitForClient(Connection& c);
  // Reads and drops what the client still sends, until it closes or is quiet for ms.
  void drainInput(Connection& c, int ms);
  void closeConnection(Connection& c, bool reset);
  // Sleeps up to ms; false when the mirror is stopping.
  bool pause(int ms);

  Options m_options;
  std::string m_realRoot;
  int m_listenFd = -1;
  int m_wakePipe[2] = {-1, -1};
  uint16_t m_port = 0;
  std::thread m_acceptThread;
  std::atomic<bool> m_stopping{false};
  std::atomic<int> m_connections{0};

  mutable std::mutex m_mutex;  // guards the members below
  std::condition_variable m_stopSignal;
  std::list<std::unique_ptr<Connection>> m_open;
  std::map<std::string, Fault> m_faults;
  std::vector<std::string> m_log;
  std::vector<std::string> m_heads;
  std::FILE* m_headLogFile = nullptr;
  std::FILE* m_logFile = nullptr;
};

}  // namespace mirror
