// The libcurl transfer component when the server fails or the user cancels, and re-entrance.
#include <algorithm>
#include <stdexcept>

#include "tests/download/HttpTransferFixture.h"
#include "tools/update-mirror/MirrorFault.h"

namespace test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct FaultCase {
  const char* fault;
  std::string message;  // expected prefix of EipwHTTP's message; "" for success
  bool bodyBegan;       // OnStartTransfer (and so OnEndTransfer) raised
};

TEST_F(HttpTransferTest, EachServerFaultEndsAsTheWindowExpects) {
  m_http->setTimeouts(std::chrono::seconds(5), std::chrono::milliseconds(300));
  const std::string body = patternBytes(200000);
  const FaultCase cases[] = {
      {"short", "1018: ", true},
      {"short:0", "1018: ", true},
      {"reset", "1056: ", true},
      {"stall", "1028: Fewer than 1024 bytes received in 300 ms", true},
      {"hang", "1028: Fewer than 1024 bytes received in 300 ms", false},
      {"status:500", "500: Internal Server Error", false},
      {"status:404", "404: Not Found", false},
      {"status:301", "301: ", false},
      {"nolength", "", true},
      {"slow:50000:1", "", true},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.fault);
    const std::string name = std::string("F_") + c.fault;
    publish(name, body);
    m_mirror->setFault(name, *mirror::parseFault(c.fault));
    m_log.events.clear();
    m_log.text.clear();

    const std::string message = fetch(name);

    const auto flow = m_log.flow();
    if (c.message.empty()) {
      EXPECT_EQ(message, "");
      EXPECT_TRUE(read("C:\\TEMP\\work\\" + name) == body);
      EXPECT_EQ(flow.back(), "end");
      EXPECT_EQ(flow[flow.size() - 2], "transfer 200000");
    } else {
      EXPECT_EQ(message.substr(0, c.message.size()), c.message) << message;
      // Nothing that could pass for the downloaded file, not even a temporary.
      EXPECT_THAT(workFiles(), ElementsAre());
    }
    if (c.bodyBegan) {
      ASSERT_FALSE(flow.empty());
      EXPECT_EQ(flow.front(), "start");
      EXPECT_EQ(flow.back(), "end");
      EXPECT_EQ(std::count(flow.begin(), flow.end(), "end"), 1);
    } else {
      EXPECT_THAT(flow, ElementsAre());
    }
  }
}

TEST_F(HttpTransferTest, TransfersAreBoundedBySteadinessNotByTotalTimeAndBySize) {
  // A stall window of one second stands for the minute: 1 KB must arrive within any window.
  m_http->setTimeouts(std::chrono::seconds(5), std::chrono::seconds(1));
  struct Row {
    const char* what;
    const char* fault;
    size_t size;
    int64_t limit;
    std::string message;  // expected prefix; "" for success
  };
  const Row rows[] = {
      {"a drip of 640 bytes a second", "slow:64:100", 20000, 2147483647,
       "1028: Fewer than 1024 bytes received in 1000 ms"},
      {"slow but steady, three windows long", "slow:4096:100", 120000, 2147483647, ""},
      {"a length beyond the window's counters", "length:3000000000", 1000, 2147483647, "1063: "},
      {"no length, reaching the limit", "nolength", 100000, 100000, "1063: "},
      {"no length, below the limit", "nolength", 99999, 100000, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const std::string body = patternBytes(r.size);
    publish("B.lzh", body);
    m_mirror->setFault("B.lzh", *mirror::parseFault(r.fault));
    m_http->setSizeLimit(r.limit);
    m_log.events.clear();
    const std::string message = fetch("B.lzh");
    EXPECT_EQ(message.substr(0, r.message.size()), r.message) << message;
    if (r.message.empty()) {
      EXPECT_EQ(message, "");
      EXPECT_TRUE(read("C:\\TEMP\\work\\B.lzh") == body);
    } else {
      EXPECT_THAT(workFiles(), ElementsAre());
    }
  }
}

// Sees every body and refuses the ones the test names.
class JudgeDouble : public platform::BodyJudge {
 public:
  void beginBody(const std::string& bodyUrl) override {
    seen.clear();
    url = bodyUrl;
  }
  void bodyPiece(std::string_view bytes) override { seen += bytes; }
  void judgeBody(int64_t size) override {
    if (refuse) throw platform::EipwHTTP(2001, "refused " + std::to_string(size));
  }
  std::string url;
  std::string seen;
  bool refuse = false;
};

TEST_F(HttpTransferTest, FinishedBodyIsJudgedBeforeItCounts) {
  JudgeDouble judge;
  m_http->setBodyJudge(&judge);
  const std::string body = patternBytes(300000);
  publish("J.lzh", body);
  for (const bool refuse : {false, true}) {
    SCOPED_TRACE(refuse);
    judge.refuse = refuse;
    m_log.events.clear();
    EXPECT_EQ(fetch("J.lzh"), refuse ? "2001: refused 300000" : "");
    EXPECT_EQ(judge.url, url("J.lzh"));
    EXPECT_TRUE(judge.seen == body);
    EXPECT_EQ(m_log.flow().back(), "end");
    EXPECT_EQ(workFiles().size(), refuse ? 0u : 1u);
  }
}

TEST_F(HttpTransferTest, NoLengthHeaderIsNotAnErrorOfTheComponent) {
  publish("n", "close-delimited");
  m_mirror->setFault("n", *mirror::parseFault("nolength"));
  EXPECT_EQ(fetch("n"), "");
  for (const std::string& e : m_log.events) EXPECT_THAT(e, ::testing::Not(HasSubstr("Length")));
  EXPECT_EQ(read("C:\\TEMP\\work\\n"), "close-delimited");
}

// A slow body that never finishes within the test unless aborted.
constexpr const char* kSlow = "slow:1000:20";

TEST_F(HttpTransferTest, CancelFromTheMessageLoopAbortsAndResets) {
  publish("slow", patternBytes(1000000));
  m_mirror->setFault("slow", *mirror::parseFault(kSlow));
  m_pump.hook = [&] {
    // As the window's Cancel button: abort while active, then reset.
    if (m_log.text.size() >= 2000 && m_http->Active()) {
      m_http->AbortTransfer();
      m_http->ResetTransfer();
    }
  };
  EXPECT_EQ(fetch("slow"), "1042: Transfer aborted");
  EXPECT_FALSE(m_http->Active());
  EXPECT_EQ(m_log.flow().back(), "end");
  EXPECT_THAT(workFiles(), ElementsAre());

  // The component is ready for the next file.
  m_pump.hook = nullptr;
  publish("next", "fine");
  EXPECT_EQ(fetch("next"), "");
  EXPECT_EQ(read("C:\\TEMP\\work\\next"), "fine");
}

TEST_F(HttpTransferTest, CancelFromInsideTheProgressEventStopsFurtherProgress) {
  publish("slow", patternBytes(1000000));
  m_mirror->setFault("slow", *mirror::parseFault(kSlow));
  int piecesAfterAbort = -1;
  m_log.hook = [&](const std::string& event) {
    if (event.rfind("transfer", 0) != 0) return;
    if (piecesAfterAbort >= 0) {
      ++piecesAfterAbort;
      return;
    }
    m_http->AbortTransfer();
    m_http->ResetTransfer();
    piecesAfterAbort = 0;
  };
  EXPECT_EQ(fetch("slow"), "1042: Transfer aborted");
  EXPECT_EQ(piecesAfterAbort, 0);
  const auto flow = m_log.flow();
  ASSERT_EQ(flow.size(), 3u);
  EXPECT_EQ(flow[0], "start");
  EXPECT_EQ(flow[2], "end");
  EXPECT_THAT(workFiles(), ElementsAre());
}

TEST_F(HttpTransferTest, CancelFromAHeaderEventRaisesNothingMore) {
  publish("a", "abc");
  m_log.hook = [&](const std::string&) { m_http->AbortTransfer(); };
  EXPECT_EQ(fetch("a"), "1042: Transfer aborted");
  EXPECT_EQ(m_log.events.size(), 1u);
  EXPECT_THAT(workFiles(), ElementsAre());
}

TEST_F(HttpTransferTest, AbortEndsAFetchFromAStalledOrSilentServer) {
  // Long time-outs: only the abort can end these fetches.
  m_http->setTimeouts(std::chrono::seconds(60), std::chrono::seconds(60));
  for (const char* fault : {"stall", "hang"}) {
    SCOPED_TRACE(fault);
    publish("s", patternBytes(100000));
    m_mirror->setFault("s", *mirror::parseFault(fault));
    m_pump.rounds = 0;
    m_pump.hook = [&] {
      if (m_pump.rounds == 20) m_http->AbortTransfer();
    };
    EXPECT_EQ(fetch("s"), "1042: Transfer aborted");
    EXPECT_THAT(workFiles(), ElementsAre());
  }
}

TEST_F(HttpTransferTest, AbortWhenIdleChangesNothing) {
  publish("a", "abc");
  m_http->AbortTransfer();
  m_http->ResetTransfer();
  EXPECT_EQ(fetch("a"), "");
}

TEST_F(HttpTransferTest, FetchFromInsideAHandlerIsRefusedAndTheOuterFetchGoesOn) {
  publish("outer", "outer body");
  std::string inner;
  m_log.hook = [&](const std::string& event) {
    if (event != "start") return;
    try {
      m_http->FetchURL(url("outer"));
    } catch (const platform::EipwHTTP& e) {
      inner = e.what();
    }
  };
  EXPECT_EQ(fetch("outer"), "");
  EXPECT_EQ(inner, "1093: A transfer is already in progress");
  EXPECT_EQ(read("C:\\TEMP\\work\\outer"), "outer body");
}

TEST_F(HttpTransferTest, FailingHandlerFailsTheFetch) {
  publish("a", "abc");
  m_log.hook = [](const std::string& event) {
    if (event == "header Content-Length=3") throw std::invalid_argument("not a number");
  };
  EXPECT_EQ(fetch("a"), "1042: not a number");
  EXPECT_THAT(m_log.flow(), ElementsAre());
  EXPECT_THAT(workFiles(), ElementsAre());
}

TEST_F(HttpTransferTest, FailingEndHandlerTakesTheFileAway) {
  publish("a", "abc");
  m_log.hook = [](const std::string& event) {
    if (event == "end") throw std::runtime_error("end failed");
  };
  EXPECT_EQ(fetch("a"), "1042: end failed");
  EXPECT_EQ(std::count(m_log.events.begin(), m_log.events.end(), "end"), 1);
  EXPECT_THAT(workFiles(), ElementsAre());
}

TEST_F(HttpTransferTest, OnErrorIsNeverRaised) {
  publish("a", "abc");
  EXPECT_EQ(fetch("missing"), "404: Not Found");
  m_mirror->setFault("a", *mirror::parseFault("reset:1"));
  EXPECT_THAT(fetch("a"), HasSubstr("1056: "));
  for (const std::string& e : m_log.events) EXPECT_EQ(e.rfind("error", 0), std::string::npos);
}

}  // namespace
}  // namespace test
