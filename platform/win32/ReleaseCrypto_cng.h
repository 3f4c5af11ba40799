// Release signatures and file digests on the system's CNG (bcrypt.dll).
#pragma once

#include <span>

#include "platform/ReleaseCrypto.h"

namespace platform::win32 {

class CngReleaseCrypto final : public ReleaseCrypto {
 public:
  // publicKey: the uncompressed P-256 point; any other bytes make a crypto that verifies
  // nothing.
  explicit CngReleaseCrypto(std::span<const uint8_t> publicKey);
  ~CngReleaseCrypto() override;
  CngReleaseCrypto(const CngReleaseCrypto&) = delete;
  CngReleaseCrypto& operator=(const CngReleaseCrypto&) = delete;

  bool verify(std::string_view message, const ReleaseSignature& signature) override;
  std::optional<Sha256> digest(FileReader& reader) override;
  std::unique_ptr<Sha256Stream> startDigest() override;

 private:
  void* m_ecdsa = nullptr;  // BCRYPT_ALG_HANDLE
  void* m_sha = nullptr;    // BCRYPT_ALG_HANDLE
  void* m_key = nullptr;    // BCRYPT_KEY_HANDLE
};

}  // namespace platform::win32
