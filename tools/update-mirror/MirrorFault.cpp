// Faults the update mirror injects on demand.
#include "tools/update-mirror/MirrorFault.h"

#include <charconv>

namespace mirror {

namespace {

bool parseNumber(std::string_view text, size_t& out) {
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::optional<Fault> parseFault(std::string_view text) {
  const size_t colon = text.find(':');
  const std::string_view kind = text.substr(0, colon);
  const std::string_view args = colon == std::string_view::npos ? "" : text.substr(colon + 1);
  Fault f;
  size_t n = 0;
  if (kind == "short" || kind == "reset" || kind == "stall") {
    f.kind = kind == "short"   ? FaultKind::kShortBody
             : kind == "reset" ? FaultKind::kReset
                               : FaultKind::kStall;
    if (!args.empty()) {
      if (!parseNumber(args, n)) return std::nullopt;
      f.bytes = n;
    }
    return f;
  }
  if (kind == "nolength" && !args.empty()) {
    if (!parseNumber(args, n) || n == 0) return std::nullopt;
    f.kind = FaultKind::kNoLength;
    f.bytes = n;
    return f;
  }
  if (kind == "nolength" || kind == "hang" || kind == "signinloop" || kind == "signinunknown" ||
      kind == "strict") {
    if (!args.empty()) return std::nullopt;
    f.kind = kind == "hang"         ? FaultKind::kHang
             : kind == "nolength"   ? FaultKind::kNoLength
             : kind == "signinloop" ? FaultKind::kSignInLoop
             : kind == "strict"     ? FaultKind::kStrict
                                    : FaultKind::kSignInUnknown;
    return f;
  }
  if (kind == "signin") {
    const size_t second = args.find(':');
    if (second == std::string_view::npos || second == 0) return std::nullopt;
    f.kind = FaultKind::kSignIn;
    f.user = std::string(args.substr(0, second));
    f.password = std::string(args.substr(second + 1));
    return f;
  }
  if (kind == "length") {
    if (!parseNumber(args, n)) return std::nullopt;
    f.kind = FaultKind::kLength;
    f.bytes = n;
    return f;
  }
  if (kind == "status") {
    if (!parseNumber(args, n) || n < 100 || n > 599) return std::nullopt;
    f.kind = FaultKind::kStatus;
    f.status = static_cast<int>(n);
    return f;
  }
  if (kind == "slow") {
    const size_t second = args.find(':');
    size_t ms = 0;
    if (second == std::string_view::npos || !parseNumber(args.substr(0, second), n) || n == 0 ||
        !parseNumber(args.substr(second + 1), ms) || ms > 60000) {
      return std::nullopt;
    }
    f.kind = FaultKind::kSlow;
    f.bytes = n;
    f.intervalMs = static_cast<int>(ms);
    return f;
  }
  return std::nullopt;
}

std::string reasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 400:
      return "Bad Request";
    case 401:
      return "Unauthorized";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 407:
      return "Proxy Authentication Required";
    case 431:
      return "Request Header Fields Too Large";
    case 500:
      return "Internal Server Error";
    case 501:
      return "Not Implemented";
    case 502:
      return "Bad Gateway";
    case 503:
      return "Service Unavailable";
    default:
      return "Status " + std::to_string(status);
  }
}

}  // namespace mirror
