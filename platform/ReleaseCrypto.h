// Release signatures and file digests, from the system's cryptography library.
#pragma once

#include <array>
#include <cstdint>
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
};

}  // namespace platform
