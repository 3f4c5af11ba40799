// Release signatures and file digests, from the system's cryptography library.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "platform/FileSystem.h"

namespace platform {

// A SHA-256 digest.
using Sha256 = std::array<uint8_t, 32>;
// An ECDSA P-256 signature as r and s, 32 big-endian bytes each.
using ReleaseSignature = std::array<uint8_t, 64>;
// A P-256 public key as its uncompressed point: 0x04, X, Y.
inline constexpr size_t kReleaseKeySize = 65;

// SHA-256 of a message handed over in pieces, as they arrive.
class Sha256Stream {
 public:
  virtual ~Sha256Stream() = default;
  // False when the library failed; the digest is then lost.
  [[nodiscard]] virtual bool add(std::string_view bytes) = 0;
  // The digest of every piece added; nullopt when the library failed. Called once.
  [[nodiscard]] virtual std::optional<Sha256> finish() = 0;
};

// Checks with the publisher's public key the program was built with. A key the library cannot
// use verifies nothing.
class ReleaseCrypto {
 public:
  virtual ~ReleaseCrypto() = default;
  // True only when the signature is the publisher key's ECDSA P-256 signature of the SHA-256
  // of the message.
  [[nodiscard]] virtual bool verify(std::string_view message,
                                    const ReleaseSignature& signature) = 0;
  // SHA-256 of everything the reader yields, read in pieces; nullopt on a read failure.
  [[nodiscard]] virtual std::optional<Sha256> digest(FileReader& reader) = 0;
  // A new SHA-256 in pieces; null when the library cannot start one.
  [[nodiscard]] virtual std::unique_ptr<Sha256Stream> startDigest() = 0;
};

}  // namespace platform
