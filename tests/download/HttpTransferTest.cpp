// The libcurl transfer component against the loopback mirror: events, files, proxy, names.
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "tests/download/HttpTransferFixture.h"

namespace test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST_F(HttpTransferTest, FetchRaisesHeadersThenStartPiecesAndEnd) {
  publish("PictDesk.ex_", "hello, world");
  bool activeAfter = true;
  EXPECT_EQ(fetch("PictDesk.ex_"), "");
  activeAfter = m_http->Active();

  EXPECT_EQ(read("C:\\TEMP\\work\\PictDesk.ex_"), "hello, world");
  EXPECT_EQ(m_log.text, "hello, world");
  EXPECT_THAT(m_log.flow(), ElementsAre("start", "transfer 12", "end"));
  EXPECT_THAT(m_log.events, ::testing::Contains("header Content-Length=12"));
  EXPECT_THAT(m_log.events, ::testing::Contains("header Connection=keep-alive"));
  // Every header comes before the start.
  EXPECT_EQ(m_log.events[m_log.events.size() - 3], "start");
  EXPECT_TRUE(m_log.activeInEvents);
  EXPECT_FALSE(activeAfter);
  EXPECT_THAT(workFiles(), ElementsAre("PictDesk.ex_"));
}

TEST_F(HttpTransferTest, LargeFileIsStreamedInPiecesWithARunningTotal) {
  const std::string body = patternBytes(20 * 1024 * 1024);
  publish("big.lzh", body);
  EXPECT_EQ(fetch("big.lzh"), "");

  EXPECT_TRUE(read("C:\\TEMP\\work\\big.lzh") == body);
  const auto flow = m_log.flow();
  ASSERT_GE(flow.size(), 4u);
  EXPECT_EQ(flow.front(), "start");
  EXPECT_EQ(flow.back(), "end");
  long previous = 0;
  for (size_t i = 1; i + 1 < flow.size(); ++i) {
    const long total = std::stol(flow[i].substr(9));
    EXPECT_GT(total, previous) << flow[i];
    previous = total;
  }
  EXPECT_EQ(previous, static_cast<long>(body.size()));
  EXPECT_TRUE(m_log.text == body);
  // The body is never held whole: a piece is what one round of the loop received.
  EXPECT_LT(m_log.largestPiece, 4u * 1024 * 1024);
}

TEST_F(HttpTransferTest, EmptyBodyReportsATotalOfZero) {
  publish("EMPTY.IN_", "");
  EXPECT_EQ(fetch("EMPTY.IN_"), "");
  EXPECT_THAT(m_log.flow(), ElementsAre("start", "transfer 0", "end"));
  EXPECT_TRUE(exists("C:\\TEMP\\work\\EMPTY.IN_"));
  EXPECT_EQ(read("C:\\TEMP\\work\\EMPTY.IN_"), "");
}

TEST_F(HttpTransferTest, ReplacesAnOlderFileFoundWithoutRegardToCase) {
  publish("LIST.4K_", "new");
  std::ofstream(native("C:\\TEMP\\work") + "/list.4k_") << "older and longer";
  EXPECT_EQ(fetch("LIST.4K_"), "");
  EXPECT_THAT(workFiles(), ElementsAre("list.4k_"));
  EXPECT_EQ(read("C:\\TEMP\\work\\LIST.4K_"), "new");
}

TEST_F(HttpTransferTest, ConnectionIsKeptForTheNextRequest) {
  publish("a", "1");
  publish("b", "22");
  EXPECT_EQ(fetch("a"), "");
  EXPECT_EQ(fetch("b"), "");
  EXPECT_EQ(m_mirror->connectionCount(), 1);
}

TEST_F(HttpTransferTest, MissingFileFailsWithStatusAndLeavesNoFile) {
  std::ofstream(native("C:\\TEMP\\work") + "/gone.lzh") << "from an earlier run";
  EXPECT_EQ(fetch("gone.lzh"), "404: Not Found");
  EXPECT_THAT(m_log.flow(), ElementsAre());  // headers only: no body began
  EXPECT_THAT(m_log.events, ::testing::Contains("header Content-Length=10"));
  EXPECT_THAT(workFiles(), ElementsAre());
}

TEST_F(HttpTransferTest, ProxyGetsTheAbsoluteTargetOfAnUnresolvableHost) {
  publish("CORINS0.lzh", "corins");
  m_http->ProxyServer("127.0.0.1");
  m_http->ProxyPort(m_mirror->port());
  m_http->LocalFile("C:\\TEMP\\work\\CORINS0.lzh");
  EXPECT_NO_THROW(m_http->FetchURL("http://update.brevan.invalid/brevan/v128/CORINS0.lzh"));
  EXPECT_EQ(read("C:\\TEMP\\work\\CORINS0.lzh"), "corins");
  EXPECT_THAT(m_mirror->requestLog(),
              ElementsAre("http://update.brevan.invalid/brevan/v128/CORINS0.lzh"));
}

// Sets environment variables for one test and restores them.
class ScopedEnv {
 public:
  ScopedEnv(std::initializer_list<std::pair<const char*, const char*>> vars) {
    for (const auto& [name, value] : vars) {
      const char* old = ::getenv(name);
      m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
      ::setenv(name, value, 1);
    }
  }
  ~ScopedEnv() {
    for (const auto& [name, value] : m_saved) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

TEST_F(HttpTransferTest, EmptyProxyConnectsDirectlyWhateverTheEnvironmentSays) {
  publish("a", "direct");
  ScopedEnv env{{"http_proxy", "http://127.0.0.1:9"},
                {"HTTP_PROXY", "http://127.0.0.1:9"},
                {"ALL_PROXY", "http://127.0.0.1:9"}};
  EXPECT_EQ(fetch("a"), "");
  EXPECT_EQ(read("C:\\TEMP\\work\\a"), "direct");
}

TEST_F(HttpTransferTest, SetProxyIsUsedEvenWhenNoProxyNamesTheHost) {
  publish("a", "via proxy");
  ScopedEnv env{{"no_proxy", "*"}, {"NO_PROXY", "*"}};
  m_http->ProxyServer("127.0.0.1");
  m_http->ProxyPort(m_mirror->port());
  m_http->LocalFile("C:\\TEMP\\work\\a");
  EXPECT_NO_THROW(m_http->FetchURL("http://update.brevan.invalid/brevan/v128/a"));
  EXPECT_EQ(read("C:\\TEMP\\work\\a"), "via proxy");
}

TEST_F(HttpTransferTest, ProxyPortZeroMeansPortEighty) {
  mirror::UpdateMirror on80({m_root, 80, ""});
  try {
    on80.start();
  } catch (const std::exception&) {
    GTEST_SKIP() << "port 80 is taken here";
  }
  publish("a", "port 80");
  m_http->ProxyServer("127.0.0.1");
  m_http->ProxyPort(0);
  m_http->LocalFile("C:\\TEMP\\work\\a");
  EXPECT_NO_THROW(m_http->FetchURL("http://update.brevan.invalid/brevan/v128/a"));
  EXPECT_EQ(on80.requestLog().size(), 1u);
}

TEST_F(HttpTransferTest, JapaneseNamesTravelAsCodePage932Bytes) {
  // 表 and ソ end in the byte 0x5C, the ASCII backslash.
  for (const std::string name : {"ヘルプ.lzh", "表ソ.lzh"}) {
    SCOPED_TRACE(name);
    publish(name, "body of " + name);
    EXPECT_EQ(fetch(name), "");
    EXPECT_EQ(read("C:\\TEMP\\work\\" + name), "body of " + name);
  }
  // Through a proxy the absolute target carries the same bytes.
  m_http->ProxyServer("127.0.0.1");
  m_http->ProxyPort(m_mirror->port());
  m_http->LocalFile("C:\\TEMP\\work\\ヘルプ.lzh");
  EXPECT_NO_THROW(m_http->FetchURL("http://update.brevan.invalid/brevan/v128/ヘルプ.lzh"));

  const auto log = m_mirror->requestLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0], "/brevan/v128/\x83\x77\x83\x8B\x83\x76.lzh");
  EXPECT_EQ(log[1], "/brevan/v128/\x95\x5C\x83\x5C.lzh");
  EXPECT_EQ(log[2], "http://update.brevan.invalid/brevan/v128/\x83\x77\x83\x8B\x83\x76.lzh");
  std::ifstream logFile(m_scratch + "/requests.log", std::ios::binary);
  std::string first;
  std::getline(logFile, first);
  EXPECT_EQ(first, log[0]);
}

TEST_F(HttpTransferTest, UrlWithCharactersOutsideTheCodePageIsRefused) {
  m_http->LocalFile("C:\\TEMP\\work\\x");
  try {
    m_http->FetchURL(url("snow☃.lzh"));
    FAIL() << "fetched";
  } catch (const platform::EipwHTTP& e) {
    EXPECT_EQ(e.code(), 1003);
  }
  EXPECT_TRUE(m_mirror->requestLog().empty());
}

TEST_F(HttpTransferTest, LocalFileThatCannotBeWrittenFailsBeforeAnyRequest) {
  publish("a", "x");
  const std::string readOnly = native("C:\\TEMP\\work") + "/a";
  std::ofstream(readOnly) << "kept";
  ::chmod(readOnly.c_str(), 0444);
  struct Case {
    const char* localFile;
    int lastError;
  };
  for (const Case& c : {Case{"C:\\TEMP\\work\\a", 5}, Case{"C:\\TEMP\\missing\\a", 3},
                        Case{"Q:\\a", 3}, Case{"C:\\TEMP\\work", 5}}) {
    SCOPED_TRACE(c.localFile);
    m_http->LocalFile(c.localFile);
    try {
      m_http->FetchURL(url("a"));
      ADD_FAILURE() << "fetched";
    } catch (const platform::EipwHTTP& e) {
      EXPECT_EQ(e.code(), platform::posix::kErrorLocalFile);
      EXPECT_THAT(e.what(), HasSubstr("1023: "));
    }
    EXPECT_EQ(m_lastError.get(), c.lastError);
  }
  EXPECT_TRUE(m_mirror->requestLog().empty());
  EXPECT_EQ(read("C:\\TEMP\\work\\a"), "kept");
}

TEST_F(HttpTransferTest, EmptyLocalFileLeavesTheBodyToTheEvents) {
  publish("a", "events only");
  m_http->LocalFile("");
  EXPECT_NO_THROW(m_http->FetchURL(url("a")));
  EXPECT_EQ(m_log.text, "events only");
  EXPECT_THAT(workFiles(), ElementsAre());
}

TEST_F(HttpTransferTest, ClosedPortFailsWithTheEngineCode) {
  mirror::UpdateMirror closed({m_root, 0, ""});
  const uint16_t port = closed.start();
  closed.stop();
  m_http->LocalFile("C:\\TEMP\\work\\a");
  try {
    m_http->FetchURL("http://127.0.0.1:" + std::to_string(port) + "/brevan/v128/a");
    FAIL() << "fetched";
  } catch (const platform::EipwHTTP& e) {
    EXPECT_EQ(e.code(), 1007);
    EXPECT_THAT(e.what(), HasSubstr("1007: "));
  }
  EXPECT_TRUE(m_log.events.empty());
  EXPECT_THAT(workFiles(), ElementsAre());
}

}  // namespace
}  // namespace test
