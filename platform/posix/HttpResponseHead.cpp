// The head of an HTTP response as it arrives line by line.
#include "platform/posix/HttpResponseHead.h"

#include <array>

namespace platform::posix {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && (isBlank(s.front()) || s.front() == '\r' || s.front() == '\n')) {
    s.remove_prefix(1);
  }
  while (!s.empty() && (isBlank(s.back()) || s.back() == '\r' || s.back() == '\n')) {
    s.remove_suffix(1);
  }
  return s;
}

struct Phrase {
  int code;
  const char* text;
};

constexpr std::array<Phrase, 24> kPhrases{{
    {300, "Multiple Choices"},
    {301, "Moved Permanently"},
    {302, "Found"},
    {303, "See Other"},
    {304, "Not Modified"},
    {307, "Temporary Redirect"},
    {308, "Permanent Redirect"},
    {400, "Bad Request"},
    {401, "Unauthorized"},
    {403, "Forbidden"},
    {404, "Not Found"},
    {405, "Method Not Allowed"},
    {407, "Proxy Authentication Required"},
    {408, "Request Timeout"},
    {410, "Gone"},
    {414, "URI Too Long"},
    {416, "Range Not Satisfiable"},
    {429, "Too Many Requests"},
    {500, "Internal Server Error"},
    {501, "Not Implemented"},
    {502, "Bad Gateway"},
    {503, "Service Unavailable"},
    {504, "Gateway Timeout"},
    {505, "HTTP Version Not Supported"},
}};

}  // namespace

std::optional<StatusLine> parseStatusLine(std::string_view line) {
  line = trim(line);
  if (line.substr(0, 5) != "HTTP/") return std::nullopt;
  const size_t space = line.find(' ');
  if (space == std::string_view::npos) return std::nullopt;
  std::string_view rest = line.substr(space + 1);
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  if (rest.size() < 3) return std::nullopt;
  int code = 0;
  for (size_t i = 0; i < 3; ++i) {
    if (rest[i] < '0' || rest[i] > '9') return std::nullopt;
    code = code * 10 + (rest[i] - '0');
  }
  if (rest.size() > 3 && rest[3] != ' ') return std::nullopt;
  StatusLine status;
  status.code = code;
  status.reason = std::string(trim(rest.substr(3)));
  return status;
}

std::string reasonText(int code, std::string_view serverReason) {
  // The text ends up in a message box: nothing but short printable ASCII from the wire.
  bool printable = !serverReason.empty() && serverReason.size() <= 80;
  for (char c : serverReason) {
    if (c < 0x20 || c > 0x7E) printable = false;
  }
  if (printable) return std::string(serverReason);
  for (const Phrase& p : kPhrases) {
    if (p.code == code) return p.text;
  }
  return "HTTP error";
}

void ResponseHead::addLine(std::string_view rawLine) {
  if (auto status = parseStatusLine(rawLine)) {
    // Each head starts afresh, so only the final response's fields are kept.
    clear();
    m_status = *status;
    return;
  }
  const std::string_view line = trim(rawLine);
  if (line.empty()) {
    m_complete = m_status.code >= 200;
    return;
  }
  if (isBlank(rawLine.front()) && !m_fields.empty()) {
    std::string& value = m_fields.back().second;
    if (!value.empty()) value += ' ';
    value += line;
    return;
  }
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos || colon == 0) return;
  m_fields.emplace_back(std::string(trim(line.substr(0, colon))),
                        std::string(trim(line.substr(colon + 1))));
}

void ResponseHead::clear() {
  m_status = {};
  m_fields.clear();
  m_complete = false;
}

}  // namespace platform::posix
