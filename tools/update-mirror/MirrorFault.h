// Faults the update mirror injects on demand, per file name, to test how clients cope.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mirror {

enum class FaultKind {
  kNone,
  kShortBody,  // announces the full length, sends `bytes` of the body, then closes
  kNoLength,   // no Content-Length: the body ends when the connection closes
  kStatus,     // answers `status` with its reason phrase instead of the file
  kReset,      // sends `bytes` of the body, then resets the connection (RST)
  kSlow,       // sends `bytes` every `intervalMs` milliseconds
  kStall,      // sends the head and `bytes` of the body, then nothing until the client leaves
  kHang,       // reads the request and never answers
};

// `bytes` of kHalfBody means half the file (at least 0 bytes) for short, reset and stall.
inline constexpr size_t kHalfBody = static_cast<size_t>(-1);

struct Fault {
  FaultKind kind = FaultKind::kNone;
  int status = 0;
  size_t bytes = kHalfBody;
  int intervalMs = 0;
};

// Parses "short[:BYTES]", "nolength", "status:CODE", "reset[:BYTES]", "slow:BYTES:MS",
// "stall[:BYTES]", "hang"; nullopt for anything else.
std::optional<Fault> parseFault(std::string_view text);

// The reason phrase the mirror sends with a status code.
std::string reasonPhrase(int status);

}  // namespace mirror
