// The update mirror's rules: fault specifications, request heads and target-to-file mapping.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tools/update-mirror/MirrorFault.h"
#include "tools/update-mirror/MirrorRequest.h"

namespace mirror {
namespace {

TEST(ParseFaultTest, ReadsEveryKindAndRefusesTheRest) {
  struct Row {
    const char* text;
    bool valid;
    FaultKind kind;
    size_t bytes;
    int status;
    int intervalMs;
  };
  const Row rows[] = {
      {"short", true, FaultKind::kShortBody, kHalfBody, 0, 0},
      {"short:10", true, FaultKind::kShortBody, 10, 0, 0},
      {"nolength", true, FaultKind::kNoLength, kHalfBody, 0, 0},
      {"status:500", true, FaultKind::kStatus, kHalfBody, 500, 0},
      {"reset", true, FaultKind::kReset, kHalfBody, 0, 0},
      {"reset:0", true, FaultKind::kReset, 0, 0, 0},
      {"slow:512:10", true, FaultKind::kSlow, 512, 0, 10},
      {"stall", true, FaultKind::kStall, kHalfBody, 0, 0},
      {"stall:7", true, FaultKind::kStall, 7, 0, 0},
      {"hang", true, FaultKind::kHang, kHalfBody, 0, 0},
      {"nolength:1", true, FaultKind::kNoLength, 1, 0, 0},
      {"signin:anna:pw:x", true, FaultKind::kSignIn, kHalfBody, 0, 0},
      {"signinloop", true, FaultKind::kSignInLoop, kHalfBody, 0, 0},
      {"strict", true, FaultKind::kStrict, kHalfBody, 0, 0},
      {"length:3000000000", true, FaultKind::kLength, 3000000000u, 0, 0},
      // refused
      {"", false, {}, 0, 0, 0},
      {"status", false, {}, 0, 0, 0},
      {"status:99", false, {}, 0, 0, 0},
      {"status:600", false, {}, 0, 0, 0},
      {"short:x", false, {}, 0, 0, 0},
      {"short:-1", false, {}, 0, 0, 0},
      {"slow:512", false, {}, 0, 0, 0},
      {"slow:0:10", false, {}, 0, 0, 0},
      {"nolength:0", false, {}, 0, 0, 0},
      {"signin:anna", false, {}, 0, 0, 0},
      {"strict:1", false, {}, 0, 0, 0},
      {"explode", false, {}, 0, 0, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    const auto f = parseFault(r.text);
    ASSERT_EQ(f.has_value(), r.valid);
    if (!r.valid) continue;
    EXPECT_EQ(f->kind, r.kind);
    EXPECT_EQ(f->bytes, r.bytes);
    EXPECT_EQ(f->status, r.status);
    EXPECT_EQ(f->intervalMs, r.intervalMs);
  }
}

TEST(ParseRequestHeadTest, ReadsMethodTargetAndConnection) {
  struct Row {
    const char* head;
    bool valid;
    const char* target;
    bool keepAlive;
  };
  const Row rows[] = {
      {"GET /a HTTP/1.1\r\nHost: x", true, "/a", true},
      {"GET /a HTTP/1.1\r\nConnection: close", true, "/a", false},
      {"GET /a HTTP/1.1\r\nconnection: Upgrade, Close", true, "/a", false},
      {"GET /a HTTP/1.0", true, "/a", false},
      {"GET /a HTTP/1.0\r\nConnection: keep-alive", true, "/a", true},
      {"GET http://h/a HTTP/1.1\r\nProxy-Connection: Keep-Alive", true, "http://h/a", true},
      {"GET /a HTTP/1.1\r\nContent-Length: 5", true, "/a", false},
      {"GET /a b HTTP/1.1", true, "/a b", true},
      {"GET /a", false, "", false},
      {"GET  HTTP/1.1", false, "", false},
      {"GET /a FTP/1.0", false, "", false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.head);
    const auto req = parseRequestHead(r.head);
    ASSERT_EQ(req.has_value(), r.valid);
    if (!r.valid) continue;
    EXPECT_EQ(req->method, "GET");
    EXPECT_EQ(req->target, r.target);
    EXPECT_EQ(req->keepAlive, r.keepAlive);
  }
}

TEST(TargetComponentsTest, MapsOriginAndAbsoluteFormsAndRefusesEscapes) {
  using V = std::vector<std::string>;
  struct Row {
    std::string target;
    bool valid;
    V parts;
  };
  const Row rows[] = {
      {"/brevan/v128/PictDesk.ex_", true, {"brevan", "v128", "PictDesk.ex_"}},
      {"http://update.brevan.invalid/brevan/v128/X", true, {"brevan", "v128", "X"}},
      {"http://update.brevan.invalid:8080/X?q=1", true, {"X"}},
      {"http://update.brevan.invalid", true, {}},
      {"/a//b/./c#frag", true, {"a", "b", "c"}},
      {"/brevan/%83w%83%8B%83v.lzh", true, {"brevan", "ヘルプ.lzh"}},
      {"/brevan/\x83\x77\x83\x8B\x83\x76.lzh", true, {"brevan", "ヘルプ.lzh"}},
      // a trail byte 0x5C stays part of its character
      {"/\x95\x5C\x83\x5C.lzh", true, {"表ソ.lzh"}},
      // refused
      {"/brevan/../../etc/passwd", false, {}},
      {"/%2e%2e/x", false, {}},
      {"/a/%2E%2E", false, {}},
      {"/a%00b", false, {}},
      {"/a\\..\\b", false, {}},
      {"/a%5cb", false, {}},
      {"/a%zz", false, {}},
      {"/a%8", false, {}},
      {"/\x83", false, {}},
      {"relative/x", false, {}},
      {"*", false, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.target);
    const auto parts = targetComponents(r.target);
    ASSERT_EQ(parts.has_value(), r.valid);
    if (r.valid) {
      EXPECT_EQ(*parts, r.parts);
    }
  }
}

}  // namespace
}  // namespace mirror
