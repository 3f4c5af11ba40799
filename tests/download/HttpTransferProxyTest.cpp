// The libcurl component behind a proxy: sign-in, the strict proxy's retry, cache revalidation.
#include "tests/doubles/SignInScript.h"
#include "tests/download/HttpTransferFixture.h"
#include "tools/update-mirror/MirrorFault.h"

namespace test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class HttpProxyTest : public HttpTransferTest {
 protected:
  HttpProxyTest() {
    m_http->setSignIn(&m_signIn);
    m_http->ProxyServer("127.0.0.1");
    m_http->ProxyPort(m_mirror->port());
  }
  std::string fetchViaProxy(const std::string& name) {
    m_log.events.clear();
    m_http->LocalFile("C:\\TEMP\\work\\" + name);
    try {
      m_http->FetchURL("http://update.brevan.invalid/brevan/v128/" + name);
    } catch (const platform::EipwHTTP& e) {
      return e.what();
    }
    return "";
  }
  SignInScript m_signIn;
};

TEST_F(HttpProxyTest, SignInAsksUntilThePairIsTakenAtMostThreeTimes) {
  struct Row {
    const char* what;
    const char* fault;
    std::vector<std::optional<platform::ProxyCredentials>> answers;
    std::string message;  // "" for success
    size_t asks;
  };
  const std::string refused = "407: Proxy Authentication Required";
  const Row rows[] = {
      {"right pair", "signin:anna:secret", {pair("anna", "secret")}, "", 1},
      {"wrong, then right",
       "signin:anna:secret",
       {pair("anna", "x"), pair("anna", "secret")},
       "",
       2},
      {"cancel", "signin:anna:secret", {std::nullopt}, refused, 1},
      {"three wrong pairs",
       "signin:anna:secret",
       {pair("a", "1"), pair("a", "2"), pair("a", "3"), pair("anna", "secret")},
       refused,
       3},
      {"a proxy that never takes a pair",
       "signinloop",
       {pair("a", "1"), pair("a", "1"), pair("a", "1"), pair("a", "1")},
       refused,
       3},
      {"no scheme the component knows", "signinunknown", {pair("a", "1")}, refused, 0},
      // 秘密 in code page 932; ☃ is not in it and goes as UTF-8.
      {"CP932 password", "signin:anna:\x94\xe9\x96\xa7", {pair("anna", "秘密")}, "", 1},
      {"password outside CP932", "signin:anna:☃", {pair("anna", "☃")}, "", 1},
  };
  const std::string body = patternBytes(5000);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    publish("S.lzh", body);
    m_mirror->setFault("S.lzh", *mirror::parseFault(r.fault));
    m_signIn = {};
    m_signIn.answers.assign(r.answers.begin(), r.answers.end());

    EXPECT_EQ(fetchViaProxy("S.lzh"), r.message);

    EXPECT_EQ(m_signIn.asked.size(), r.asks);
    if (r.asks) {
      EXPECT_EQ(m_signIn.asked[0], "127.0.0.1:" + std::to_string(m_mirror->port()));
    }
    if (r.message.empty()) {
      EXPECT_TRUE(read("C:\\TEMP\\work\\S.lzh") == body);
      // The refused tries raised nothing: one head, one body.
      EXPECT_THAT(m_log.flow(), ElementsAre("start", "transfer 5000", "end"));
      for (const auto& e : m_log.events) EXPECT_THAT(e, ::testing::Not(HasSubstr("Proxy-Auth")));
      ASSERT_TRUE(m_signIn.kept);
    } else {
      EXPECT_THAT(m_log.flow(), ElementsAre());
      EXPECT_THAT(workFiles(), ElementsAre());
      EXPECT_FALSE(m_signIn.kept);
    }
  }
}

TEST_F(HttpProxyTest, AcceptedPairGoesWithTheNextFileAtOnce) {
  publish("a", "first");
  publish("b", "second");
  m_mirror->setFault("a", *mirror::parseFault("signin:anna:secret"));
  m_mirror->setFault("b", *mirror::parseFault("signin:anna:secret"));
  m_signIn.answers = {pair("anna", "secret")};
  EXPECT_EQ(fetchViaProxy("a"), "");
  const size_t before = m_mirror->requestLog().size();
  EXPECT_EQ(fetchViaProxy("b"), "");
  EXPECT_EQ(m_signIn.asked.size(), 1u);
  EXPECT_EQ(m_mirror->requestLog().size(), before + 1);
  EXPECT_EQ(read("C:\\TEMP\\work\\b"), "second");
}

TEST_F(HttpProxyTest, StrictProxyGetsThePercentEncodedNameOnceAfterTheRawOne) {
  struct Row {
    const char* fault;
    std::string message;
    size_t requests;
  };
  const Row rows[] = {{"strict", "", 2}, {"status:400", "400: Bad Request", 2}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.fault);
    publish("ヘルプ.lzh", "help");
    m_mirror->setFault("ヘルプ.lzh", *mirror::parseFault(r.fault));
    const size_t before = m_mirror->requestLog().size();

    EXPECT_EQ(fetchViaProxy("ヘルプ.lzh"), r.message);

    const auto log = m_mirror->requestLog();
    ASSERT_EQ(log.size() - before, r.requests);
    const std::string base = "http://update.brevan.invalid/brevan/v128/";
    EXPECT_EQ(log[before], base + "\x83\x77\x83\x8B\x83\x76.lzh");
    EXPECT_EQ(log[before + 1], base + "%83w%83%8B%83v.lzh");
    if (r.message.empty()) {
      EXPECT_THAT(m_log.flow(), ElementsAre("start", "transfer 4", "end"));
    }
  }
  // A 400 to a plain name is not tried again.
  publish("plain.lzh", "x");
  m_mirror->setFault("plain.lzh", *mirror::parseFault("status:400"));
  const size_t before = m_mirror->requestLog().size();
  EXPECT_EQ(fetchViaProxy("plain.lzh"), "400: Bad Request");
  EXPECT_EQ(m_mirror->requestLog().size() - before, 1u);
}

TEST_F(HttpProxyTest, EveryRequestAsksCachesToRevalidate) {
  publish("a", "x");
  EXPECT_EQ(fetchViaProxy("a"), "");
  m_http->ProxyServer("");
  EXPECT_EQ(fetch("a"), "");
  const auto heads = m_mirror->requestHeads();
  ASSERT_EQ(heads.size(), 2u);
  for (const std::string& head : heads) {
    SCOPED_TRACE(head);
    EXPECT_THAT(head, HasSubstr("\r\nCache-Control: no-cache\r\n"));
    EXPECT_THAT(head, HasSubstr("\r\nPragma: no-cache"));
    EXPECT_EQ(head.find("Pragma"), head.rfind("Pragma"));
  }
}

}  // namespace
}  // namespace test
