// What WinINet needs to know about one request: server, port and the target's CP932 bytes, and
// the proxy as its "host:port" text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform::win32 {

struct RequestTarget {
  bool secure = false;  // https
  std::string host;     // as in the URL, without brackets around an IPv6 address
  uint16_t port = 80;
  // Path and query as CP932 bytes ("/" when the URL has none); a backslash byte, blanks and
  // control bytes percent-escaped.
  std::string object;
};

// Splits an absolute http or https URL, given as code page 932 bytes; nullopt for anything else:
// another scheme, no host, a bad port.
std::optional<RequestTarget> requestTarget(const std::string& url);

// The proxy as WinINet takes it: "host:port", an IPv6 address in brackets, port 0 meaning 80.
std::string proxyText(const std::string& host, int port);

}  // namespace platform::win32
