// The transfer contract's pure rules: the stall window, the sign-in schemes, the encodings.
#include <gtest/gtest.h>

#include "platform/http/SignInRules.h"
#include "platform/http/StallWatch.h"
#include "platform/posix/TextCodec_posix.h"

namespace test {
namespace {

using platform::http::AuthScheme;

TEST(StallWatchTest, FewerThanAKilobyteInAnyMinuteStalls) {
  struct Row {
    const char* what;
    uint64_t everyMs;  // one arrival of `bytes` this often
    int64_t bytes;
    uint64_t untilMs;    // arrivals stop then
    uint64_t stallAtMs;  // 0: never within 10 minutes
  };
  const Row rows[] = {
      {"nothing at all", 0, 0, 0, 60000},
      {"a byte every 4 s", 4000, 1, 600000, 60000},
      {"2 KB every 30 s", 30000, 2048, 600000, 0},
      {"1023 bytes a minute", 60000, 1023, 600000, 60000},
      {"a burst, then silence", 1000, 100000, 1000, 61000},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    platform::http::StallWatch watch;
    watch.start(0);
    uint64_t stalledAt = 0;
    for (uint64_t t = 0; t <= 600000 && stalledAt == 0; t += 1000) {
      if (r.everyMs && t > 0 && t % r.everyMs == 0 && t <= r.untilMs) watch.arrived(t, r.bytes);
      if (watch.stalled(t)) stalledAt = t;
    }
    EXPECT_EQ(stalledAt, r.stallAtMs);
  }
}

TEST(SignInRulesTest, OfferedSchemesAreReadFromEveryChallenge) {
  using Fields = platform::http::HeadFields;
  struct Row {
    Fields fields;
    std::vector<AuthScheme> offered;
  };
  const Row rows[] = {
      {{{"Proxy-Authenticate", "Basic realm=\"brevan\""}}, {AuthScheme::kBasic}},
      {{{"proxy-authenticate", "Negotiate"}, {"Proxy-Authenticate", "NTLM"}},
       {AuthScheme::kNegotiate, AuthScheme::kNtlm}},
      {{{"Proxy-Authenticate",
         "Digest realm=\"a, b\", nonce=\"x\", qop=\"auth\", Basic realm=\"c\""}},
       {AuthScheme::kDigest, AuthScheme::kBasic}},
      {{{"Proxy-Authenticate", "Secret realm=\"x\""}, {"WWW-Authenticate", "Basic"}}, {}},
  };
  for (const Row& r : rows) EXPECT_EQ(platform::http::offeredSchemes(r.fields), r.offered);
  EXPECT_EQ(
      platform::http::pickScheme({AuthScheme::kBasic, AuthScheme::kNtlm},
                                 {AuthScheme::kNtlm, AuthScheme::kDigest, AuthScheme::kBasic}),
      AuthScheme::kNtlm);
  EXPECT_EQ(platform::http::pickScheme({AuthScheme::kDigest}, {AuthScheme::kBasic}), std::nullopt);
}

TEST(SignInRulesTest, EncodingsOfTargetsAndBasicCredentials) {
  EXPECT_EQ(platform::http::percentEncodeHighBytes("http://h/v128/\x83\x77\x83\x8B\x83\x76.lzh?a"),
            "http://h/v128/%83w%83%8B%83v.lzh?a");
  EXPECT_FALSE(platform::http::hasHighBytes("http://h/PICTDESK.EX_"));
  EXPECT_EQ(platform::http::basicAuthorization("Aladdin", "open sesame"),
            "Basic QWxhZGRpbjpvcGVuIHNlc2FtZQ==");
  platform::posix::IconvTextCodec codec;
  EXPECT_EQ(platform::http::basicCredentialBytes(codec, "秘密"), "\x94\xe9\x96\xa7");
  EXPECT_EQ(platform::http::basicCredentialBytes(codec, "pass☃"), "pass☃");
}

}  // namespace
}  // namespace test
