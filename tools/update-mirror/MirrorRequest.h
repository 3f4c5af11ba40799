// Requests the update mirror understands, and how a request target maps to a file of the root.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirror {

struct Request {
  std::string method;
  std::string target;  // raw bytes as received
  bool keepAlive = true;
  bool hasBody = false;  // Content-Length or Transfer-Encoding sent: the connection is closed after
  std::string proxyAuthorization;  // the Proxy-Authorization field's value, as sent
};

// Parses a request head (up to and without the blank line); nullopt when it is malformed.
std::optional<Request> parseRequestHead(std::string_view head);

// The path components of a target, origin-form ("/brevan/v128/X") or absolute-form
// ("http://host/brevan/v128/X"): query dropped, %XX decoded, the bytes read as code page 932
// and returned as UTF-8 (the names on disk). nullopt for a target that is malformed, not
// CP932, or that would leave the root ("..", NUL, a backslash).
std::optional<std::vector<std::string>> targetComponents(std::string_view target);

// CP932 bytes as UTF-8; nullopt when the bytes are not valid CP932.
std::optional<std::string> cp932ToUtf8(std::string_view bytes);

}  // namespace mirror
