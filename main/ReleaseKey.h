// The publisher's public key the program was built with (BREVAN_RELEASE_PUBKEY).
#pragma once

#include <span>

namespace brevan {

// The key's uncompressed P-256 point; empty for a program built without a key.
std::span<const unsigned char> releasePublicKey();

}  // namespace brevan
