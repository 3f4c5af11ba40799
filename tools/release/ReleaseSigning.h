// The publisher's key pair and signatures, on OpenSSL's libcrypto.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ReleaseCrypto.h"

typedef struct evp_pkey_st EVP_PKEY;

namespace release {

// Writes NAME.key (the private key, PEM, readable only by its owner) and NAME.pub (the public
// key's uncompressed point, 65 bytes). Never replaces an existing file; throws
// std::runtime_error.
void makeKeyPair(const std::string& name);

// Signs with a private key file of makeKeyPair.
class Signer {
 public:
  // Throws std::runtime_error when the file holds no P-256 private key.
  explicit Signer(const std::string& keyFile);
  ~Signer();
  Signer(const Signer&) = delete;
  Signer& operator=(const Signer&) = delete;

  // ECDSA P-256 over the SHA-256 of the message, as r and s.
  platform::ReleaseSignature sign(std::string_view message);
  // The uncompressed point of the key's public half.
  std::vector<uint8_t> publicKey() const;

 private:
  EVP_PKEY* m_key = nullptr;
};

}  // namespace release
