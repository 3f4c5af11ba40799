// Status lines, reason phrases and header fields as the transfer component reads them.
#include <gtest/gtest.h>

#include "platform/posix/HttpResponseHead.h"

namespace platform::posix {
namespace {

TEST(StatusLineTest, ReadsCodeAndReason) {
  struct Row {
    const char* line;
    int code;  // 0: not a status line
    const char* reason;
  };
  const Row rows[] = {
      {"HTTP/1.1 200 OK\r\n", 200, "OK"},
      {"HTTP/1.1 404 Not Found\r\n", 404, "Not Found"},
      {"HTTP/1.0 500  Internal Server Error \r\n", 500, "Internal Server Error"},
      {"HTTP/2 404\r\n", 404, ""},
      {"HTTP/1.1 100 Continue\r\n", 100, "Continue"},
      // not status lines
      {"Content-Length: 5\r\n", 0, ""},
      {"HTTP/1.1 20 OK\r\n", 0, ""},
      {"HTTP/1.1 2000 OK\r\n", 0, ""},
      {"HTTP/1.1 abc\r\n", 0, ""},
      {"HTTP/1.1\r\n", 0, ""},
      {"\r\n", 0, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    const auto status = parseStatusLine(r.line);
    if (r.code == 0) {
      EXPECT_FALSE(status.has_value());
      continue;
    }
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->code, r.code);
    EXPECT_EQ(status->reason, r.reason);
  }
}

TEST(ReasonTextTest, ShowsOnlyShortPrintableAscii) {
  EXPECT_EQ(reasonText(404, "Not Found"), "Not Found");
  EXPECT_EQ(reasonText(404, "Nicht gefunden"), "Nicht gefunden");
  EXPECT_EQ(reasonText(404, ""), "Not Found");
  EXPECT_EQ(reasonText(503, "Bad\x01"), "Service Unavailable");
  EXPECT_EQ(reasonText(500, "\x83\x47\x83\x89\x81\x5B"), "Internal Server Error");
  EXPECT_EQ(reasonText(599, std::string(200, 'x')), "HTTP error");
}

TEST(ResponseHeadTest, KeepsOnlyTheFinalHeadsFields) {
  ResponseHead head;
  for (const char* line : {"HTTP/1.1 100 Continue\r\n", "X-Interim: 1\r\n", "\r\n"}) {
    head.addLine(line);
  }
  EXPECT_FALSE(head.complete());
  for (const char* line :
       {"HTTP/1.1 200 OK\r\n", "Content-Length:  12 \r\n", "X-Folded: first\r\n", "  second\r\n",
        "no colon here\r\n", ": empty name\r\n", "content-type: text/plain\r\n", "\r\n"}) {
    head.addLine(line);
  }
  EXPECT_TRUE(head.complete());
  EXPECT_EQ(head.status(), 200);
  using Field = std::pair<std::string, std::string>;
  EXPECT_EQ(head.fields(), (std::vector<Field>{{"Content-Length", "12"},
                                               {"X-Folded", "first second"},
                                               {"content-type", "text/plain"}}));
}

}  // namespace
}  // namespace platform::posix
