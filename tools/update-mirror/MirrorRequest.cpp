// Requests the update mirror understands, and how a request target maps to a file of the root.
#include "tools/update-mirror/MirrorRequest.h"

#include <iconv.h>

#include <cerrno>

namespace mirror {

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool containsToken(std::string_view value, std::string_view token) {
  while (!value.empty()) {
    const size_t comma = value.find(',');
    if (equalsNoCase(trim(value.substr(0, comma)), token)) return true;
    if (comma == std::string_view::npos) break;
    value.remove_prefix(comma + 1);
  }
  return false;
}

}  // namespace

std::optional<Request> parseRequestHead(std::string_view head) {
  const size_t lineEnd = head.find("\r\n");
  const std::string_view line = head.substr(0, lineEnd);
  const size_t s1 = line.find(' ');
  const size_t s2 = line.rfind(' ');
  if (s1 == std::string_view::npos || s2 == s1) return std::nullopt;
  Request r;
  r.method = std::string(line.substr(0, s1));
  r.target = std::string(line.substr(s1 + 1, s2 - s1 - 1));
  const std::string_view version = line.substr(s2 + 1);
  if (r.target.empty() || version.substr(0, 5) != "HTTP/") return std::nullopt;
  r.keepAlive = version != "HTTP/1.0";
  std::string_view rest = lineEnd == std::string_view::npos ? "" : head.substr(lineEnd + 2);
  while (!rest.empty()) {
    const size_t end = rest.find("\r\n");
    const std::string_view field = rest.substr(0, end);
    rest = end == std::string_view::npos ? "" : rest.substr(end + 2);
    const size_t colon = field.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view name = trim(field.substr(0, colon));
    const std::string_view value = trim(field.substr(colon + 1));
    if (equalsNoCase(name, "Connection") || equalsNoCase(name, "Proxy-Connection")) {
      if (containsToken(value, "close")) r.keepAlive = false;
      if (containsToken(value, "keep-alive")) r.keepAlive = true;
    } else if (equalsNoCase(name, "Content-Length")) {
      if (value != "0") r.hasBody = true;
    } else if (equalsNoCase(name, "Transfer-Encoding")) {
      r.hasBody = true;
    } else if (equalsNoCase(name, "Proxy-Authorization")) {
      r.proxyAuthorization = std::string(value);
    }
  }
  if (r.hasBody) r.keepAlive = false;
  return r;
}

std::optional<std::string> cp932ToUtf8(std::string_view bytes) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(bytes.size() * 3 + 4, '\0');
  // iconv's interface takes non-const input pointers; it does not write through them.
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char* o = out.data();
  size_t outLeft = out.size();
  const size_t rc = iconv(cd, &in, &inLeft, &o, &outLeft);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1) || inLeft != 0) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

std::optional<std::vector<std::string>> targetComponents(std::string_view target) {
  if (target.substr(0, 7) == "http://" || target.substr(0, 7) == "HTTP://") {
    const size_t slash = target.find('/', 7);
    target = slash == std::string_view::npos ? "/" : target.substr(slash);
  }
  if (target.empty() || target.front() != '/') return std::nullopt;
  target = target.substr(0, target.find_first_of("?#"));
  std::string raw;
  for (size_t i = 0; i < target.size(); ++i) {
    if (target[i] != '%') {
      raw += target[i];
      continue;
    }
    if (i + 2 >= target.size()) return std::nullopt;
    const int hi = hexValue(target[i + 1]);
    const int lo = hexValue(target[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    raw += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  // Decoded first, split afterwards: a CP932 trail byte may look like an ASCII character.
  const auto text = cp932ToUtf8(raw);
  if (!text) return std::nullopt;
  std::vector<std::string> parts;
  std::string_view rest = *text;
  while (!rest.empty()) {
    const size_t slash = rest.find('/');
    const std::string_view part = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? "" : rest.substr(slash + 1);
    if (part.empty() || part == ".") continue;
    if (part == ".." || part.find('\0') != std::string_view::npos ||
        part.find('\\') != std::string_view::npos) {
      return std::nullopt;
    }
    parts.emplace_back(part);
  }
  return parts;
}

}  // namespace mirror
