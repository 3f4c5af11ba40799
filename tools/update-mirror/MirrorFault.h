// Faults the update mirror injects on demand, per file name, to test how clients cope.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mirror {

enum class FaultKind {
  kNone,
  kShortBody,      // announces the full length, sends `bytes` of the body, then closes
  kNoLength,       // no Content-Length: the body (exactly `bytes` long when given, padded with zero
                   // bytes) ends when the connection closes
  kStatus,         // answers `status` with its reason phrase instead of the file
  kReset,          // sends `bytes` of the body, then resets the connection (RST)
  kSlow,           // sends `bytes` every `intervalMs` milliseconds
  kStall,          // sends the head and `bytes` of the body, then nothing until the client leaves
  kHang,           // reads the request and never answers
  kSignIn,         // as a proxy asking for Basic: 407 unless the request carries `user`:`password`
  kSignInLoop,     // 407 with Basic whatever the request carries
  kSignInUnknown,  // 407 offering only a scheme no client knows
  kStrict,         // as a strict proxy: 400 to a target holding raw bytes of 0x80 or more
  kLength,         // announces `bytes` as Content-Length, sends the file, then closes
};

// `bytes` of kHalfBody means half the file (at least 0 bytes) for short, reset and stall.
inline constexpr size_t kHalfBody = static_cast<size_t>(-1);

struct Fault {
  FaultKind kind = FaultKind::kNone;
  int status = 0;
  size_t bytes = kHalfBody;
  int intervalMs = 0;
  std::string user{};
  std::string password{};
};

// Parses "short[:BYTES]", "nolength[:BYTES]", "status:CODE", "reset[:BYTES]", "slow:BYTES:MS",
// "stall[:BYTES]", "hang", "signin:USER:PASSWORD", "signinloop", "signinunknown", "strict",
// "length:BYTES"; nullopt for anything else.
std::optional<Fault> parseFault(std::string_view text);

// The reason phrase the mirror sends with a status code.
std::string reasonPhrase(int status);

}  // namespace mirror
