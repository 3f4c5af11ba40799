// The head of an HTTP response as it arrives line by line: status, reason and header fields.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/http/TransferFailures.h"

namespace platform::posix {

// A status line "HTTP/1.1 404 Not Found" split into its code and reason phrase; nullopt when the
// line is not a status line (no "HTTP/" start, no three-digit code).
struct StatusLine {
  int code = 0;
  std::string reason;
};
std::optional<StatusLine> parseStatusLine(std::string_view line);

// The text a failed status is reported with, shared by every transfer component.
using http::reasonText;

// Collects the lines of response heads (libcurl hands them over one by one, interim 1xx heads
// included) and keeps the fields of the latest head.
class ResponseHead {
 public:
  // Takes one raw line, with or without its CR LF.
  void addLine(std::string_view rawLine);
  // True once the blank line of a final (non-1xx) head has arrived.
  bool complete() const { return m_complete; }
  int status() const { return m_status.code; }
  const std::string& reason() const { return m_status.reason; }
  // Field names and values as sent, without surrounding blanks; folded lines joined.
  const std::vector<std::pair<std::string, std::string>>& fields() const { return m_fields; }
  void clear();

 private:
  StatusLine m_status;
  std::vector<std::pair<std::string, std::string>> m_fields;
  bool m_complete = false;
};

}  // namespace platform::posix
