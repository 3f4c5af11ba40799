// What WinINet needs to know about one request, taken from the URL.
#include "platform/win32/HttpRequestTarget_win32.h"

#include <algorithm>
#include <string_view>

#include "platform/AsciiCase.h"

namespace platform::win32 {

namespace {

bool startsWithNoCase(const std::string& text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         ascii::equalsIgnoreCase(std::string_view(text).substr(0, prefix.size()), prefix);
}

std::optional<uint16_t> parsePort(const std::string& digits) {
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  long port = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    port = port * 10 + (c - '0');
  }
  if (port < 1 || port > 65535) return std::nullopt;
  return static_cast<uint16_t>(port);
}

}  // namespace

std::optional<RequestTarget> requestTarget(const std::string& url) {
  RequestTarget t;
  size_t start = 0;
  if (startsWithNoCase(url, "http://")) {
    start = 7;
  } else if (startsWithNoCase(url, "https://")) {
    start = 8;
    t.secure = true;
    t.port = 443;
  } else {
    return std::nullopt;
  }
  // No CP932 trail byte looks like '/', '?', '#' or ':', so the bytes split as the text would.
  const size_t authorityEnd = std::min(url.find_first_of("/?#", start), url.size());
  std::string authority = url.substr(start, authorityEnd - start);
  std::string port;
  if (!authority.empty() && authority.front() == '[') {
    const size_t close = authority.find(']');
    if (close == std::string::npos) return std::nullopt;
    t.host = authority.substr(1, close - 1);
    const std::string rest = authority.substr(close + 1);
    if (!rest.empty() && rest.front() != ':') return std::nullopt;
    if (!rest.empty()) port = rest.substr(1);
    if (!rest.empty() && port.empty()) return std::nullopt;
  } else {
    const size_t colon = authority.find(':');
    t.host = authority.substr(0, colon);
    if (colon != std::string::npos) {
      port = authority.substr(colon + 1);
      if (port.empty()) return std::nullopt;
    }
  }
  if (t.host.empty()) return std::nullopt;
  if (!port.empty()) {
    const auto number = parsePort(port);
    if (!number) return std::nullopt;
    t.port = *number;
  }
  std::string object = url.substr(authorityEnd, url.find('#', authorityEnd) - authorityEnd);
  if (object.empty() || object.front() == '?') object.insert(0, "/");
  // Bytes of the code page go raw. A backslash is escaped: it is the trail byte of characters
  // such as 表 and ソ, and WinINet may take it for a path separator (Wine turns it into '/').
  // Blanks and control bytes cannot stand in a request line.
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char c : object) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\\' || byte <= 0x20 || byte == 0x7F) {
      t.object += '%';
      t.object += kHex[byte >> 4];
      t.object += kHex[byte & 0x0F];
    } else {
      t.object += c;
    }
  }
  return t;
}

std::string proxyText(const std::string& host, int port) {
  const bool ipv6 = std::count(host.begin(), host.end(), ':') > 1 && host.front() != '[';
  return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port == 0 ? 80 : port);
}

}  // namespace platform::win32
