// What the transfer contract asks of a component's byte mover: one GET on the wire, and the
// notes of what came back.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Status.h"

namespace platform::http {

// The proxy sign-in schemes, from the weakest.
enum class AuthScheme { kBasic, kDigest, kNtlm, kNegotiate };

// One GET as the contract wants it sent.
struct WireRequest {
  // Absolute http URL as CP932 bytes: bytes of 0x80 or more raw on the first try,
  // percent-encoded on the retry for a strict proxy.
  std::string url;
  std::string proxyHost;  // empty: a direct connection, whatever the system says
  int proxyPort = 80;
  std::chrono::milliseconds connectTimeout{30000};
  // The answer to the proxy's sign-in, when it asked for one.
  std::optional<AuthScheme> scheme;
  // Answer with the signed-in user's own credentials (NTLM, Negotiate on Windows).
  bool ownCredentials = false;
  // Bytes as the scheme sends them: CP932 or UTF-8 for Basic, UTF-8 for the others.
  std::string user;
  std::string password;
};

// What a component learnt of the GET, in arrival order.
struct WireNote {
  enum class Kind {
    kHead,     // the final response's status, reason phrase and header fields
    kPiece,    // body bytes, in order
    kEnd,      // the body ended as the connection or the length says
    kFailure,  // the request failed; code and description as EipwHTTP reports them
  };
  Kind kind = Kind::kEnd;
  int status = 0;
  std::string reason;
  std::vector<std::pair<std::string, std::string>> fields;
  std::string bytes;
  int code = 0;
  std::string description;
};

// Where a component keeps the body of one fetch until it counts: written under a temporary
// name beside its target, renamed onto it only at commit.
class BodyStore {
 public:
  virtual ~BodyStore() = default;
  // Prepares the file at a Windows path; nothing is touched when it fails.
  virtual Status open(const std::string& localFile) = 0;
  virtual Status write(const char* data, size_t size) = 0;
  // Puts the body in place of the target, replacing an older file.
  virtual Status commit() = 0;
  // Removes the unfinished body and the target, so no older or partial file passes for this
  // fetch's result.
  virtual void discard() = 0;
  // The committed file stays.
  virtual void keep() = 0;
};

}  // namespace platform::http
