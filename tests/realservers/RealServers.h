// The servers the users and the publisher really run, for one test: Debian's nginx serving a copy
// of the sample release as update.valtern.jp, and Debian's Squid in front of it as the office's
// caching forward proxy. Each listens on a free loopback port, keeps its configuration, cache,
// logs and pid file in a folder of its own, and is stopped by its pid.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/ChildProcess.h"

namespace realservers {

// The one user the signing-in proxy knows.
inline constexpr const char* kUser = "sekkei";
inline constexpr const char* kPassword = "Kobo-2026";

struct ProxyOptions {
  bool basicSignIn = false;   // every request needs the user (basic_ncsa_auth, htpasswd file)
  bool strictParser = false;  // relaxed_header_parser off: raw CP932 targets get 400
  std::string refused;        // a file (UTF-8 name) the proxy refuses itself, 403
  std::string dropped;        // a file the origin answers by closing the connection
};

class RealServers {
 public:
  // What the machine lacks to run them; empty when squid, nginx and htpasswd are there.
  static std::string missingTools();

  // Starts nginx on a copy of `release` (its names as CP932 bytes, as the publisher's server
  // holds them; times kept), then Squid with its cache on. Throws std::runtime_error when a
  // server does not come up, naming its log.
  RealServers(const std::string& release, const ProxyOptions& options = {});
  // Stops Squid and nginx by their pids and deletes the folder.
  ~RealServers();
  RealServers(const RealServers&) = delete;
  RealServers& operator=(const RealServers&) = delete;

  uint16_t proxyPort() const { return m_proxyPort; }

  // The publisher replaces a file of a pass (1 or 2) with new bytes, time stamp now.
  void publish(int pass, const std::string& name, const std::string& bytes);
  // The publisher's server goes down; the proxy stays up.
  void stopOrigin();
  // The office changes its proxy: Squid stopped and started again on the same port with these
  // rules (the origin's own rules stay as they were started).
  void restartProxy(const ProxyOptions& options);

  // Squid's answers, one per line: "<result code>/<status> <url>" ("TCP_MISS/200 http://…").
  std::vector<std::string> proxyLog() const;
  // The logs, for failure messages.
  std::string logs() const;

 private:
  void startOrigin(const ProxyOptions& options);
  void startProxy(const ProxyOptions& options);

  std::string m_root, m_service;
  uint16_t m_originPort = 0, m_proxyPort = 0;
  std::unique_ptr<e2e::ChildProcess> m_origin, m_proxy;
};

// The bytes in the Microsoft compress format (SZDD) as Debian's mscompress writes them, as the
// publisher makes an update file. Throws std::runtime_error when mscompress fails.
std::string compressed(const std::string& bytes);

}  // namespace realservers
