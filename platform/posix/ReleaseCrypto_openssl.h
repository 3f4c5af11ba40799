// Release signatures and file digests on OpenSSL's libcrypto.
#pragma once

#include <span>

#include "platform/ReleaseCrypto.h"

typedef struct evp_pkey_st EVP_PKEY;

namespace platform::posix {

class OpenSslReleaseCrypto final : public ReleaseCrypto {
 public:
  // publicKey: the uncompressed P-256 point; any other bytes make a crypto that verifies
  // nothing.
  explicit OpenSslReleaseCrypto(std::span<const uint8_t> publicKey);
  ~OpenSslReleaseCrypto() override;
  OpenSslReleaseCrypto(const OpenSslReleaseCrypto&) = delete;
  OpenSslReleaseCrypto& operator=(const OpenSslReleaseCrypto&) = delete;

  bool verify(std::string_view message, const ReleaseSignature& signature) override;
  std::optional<Sha256> digest(FileReader& reader) override;
  std::unique_ptr<Sha256Stream> startDigest() override;

 private:
  EVP_PKEY* m_key = nullptr;
};

}  // namespace platform::posix
