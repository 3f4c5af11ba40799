// The head of an HTTP response as it arrives line by line.
#include "platform/posix/HttpResponseHead.h"

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
