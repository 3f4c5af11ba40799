// Release signatures and file digests on the system's CNG (bcrypt.dll).
#include "platform/win32/ReleaseCrypto_cng.h"

#include <windows.h>
// After windows.h, which it needs.
#include <bcrypt.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform::win32 {

namespace {

bool ok(NTSTATUS status) { return status >= 0; }

// Hashes in pieces; BCryptHash, the one-call form, needs Windows 10.
class Hash final : public Sha256Stream {
 public:
  explicit Hash(BCRYPT_ALG_HANDLE algorithm) {
    if (algorithm && !ok(BCryptCreateHash(algorithm, &m_hash, nullptr, 0, nullptr, 0, 0))) {
      m_hash = nullptr;
    }
  }
  ~Hash() override {
    if (m_hash) BCryptDestroyHash(m_hash);
  }
  Hash(const Hash&) = delete;
  Hash& operator=(const Hash&) = delete;

  bool started() const { return m_hash != nullptr; }
  bool add(std::string_view bytes) override {
    // BCryptHashData takes at most a ULONG at a time.
    while (m_hash && !bytes.empty()) {
      const size_t size = std::min<size_t>(bytes.size(), 1u << 30);
      if (!ok(BCryptHashData(m_hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                             static_cast<ULONG>(size), 0))) {
        return false;
      }
      bytes.remove_prefix(size);
    }
    return m_hash != nullptr;
  }
  std::optional<Sha256> finish() override {
    Sha256 out{};
    if (!m_hash || !ok(BCryptFinishHash(m_hash, out.data(), static_cast<ULONG>(out.size()), 0))) {
      return std::nullopt;
    }
    return out;
  }

 private:
  BCRYPT_HASH_HANDLE m_hash = nullptr;
};

}  // namespace

CngReleaseCrypto::CngReleaseCrypto(std::span<const uint8_t> publicKey) {
  BCRYPT_ALG_HANDLE sha = nullptr;
  if (ok(BCryptOpenAlgorithmProvider(&sha, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) m_sha = sha;
  if (publicKey.size() != kReleaseKeySize || publicKey[0] != 0x04) return;
  BCRYPT_ALG_HANDLE ecdsa = nullptr;
  if (!ok(BCryptOpenAlgorithmProvider(&ecdsa, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0))) return;
  m_ecdsa = ecdsa;
  // The public blob is its header followed by X and Y.
  std::vector<unsigned char> blob(sizeof(BCRYPT_ECCKEY_BLOB) + 64);
  BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
  std::memcpy(blob.data(), &header, sizeof header);
  std::memcpy(blob.data() + sizeof header, publicKey.data() + 1, 64);
  BCRYPT_KEY_HANDLE key = nullptr;
  if (ok(BCryptImportKeyPair(ecdsa, nullptr, BCRYPT_ECCPUBLIC_BLOB, &key, blob.data(),
                             static_cast<ULONG>(blob.size()), 0))) {
    m_key = key;
  }
}

CngReleaseCrypto::~CngReleaseCrypto() {
  if (m_key) BCryptDestroyKey(m_key);
  if (m_ecdsa) BCryptCloseAlgorithmProvider(m_ecdsa, 0);
  if (m_sha) BCryptCloseAlgorithmProvider(m_sha, 0);
}

bool CngReleaseCrypto::verify(std::string_view message, const ReleaseSignature& signature) {
  if (!m_key) return false;
  Hash hash(m_sha);
  if (!hash.add(message)) return false;
  auto digest = hash.finish();
  if (!digest) return false;
  return ok(BCryptVerifySignature(
      m_key, nullptr, digest->data(), static_cast<ULONG>(digest->size()),
      const_cast<PUCHAR>(signature.data()), static_cast<ULONG>(signature.size()), 0));
}

std::optional<Sha256> CngReleaseCrypto::digest(FileReader& reader) {
  Hash hash(m_sha);
  std::vector<char> buffer(1 << 16);
  for (;;) {
    auto n = reader.read(buffer.data(), buffer.size());
    if (!n) return std::nullopt;
    if (*n == 0) break;
    if (!hash.add(std::string_view(buffer.data(), *n))) return std::nullopt;
  }
  return hash.finish();
}

std::unique_ptr<Sha256Stream> CngReleaseCrypto::startDigest() {
  auto hash = std::make_unique<Hash>(m_sha);
  if (!hash->started()) return nullptr;
  return hash;
}

}  // namespace platform::win32
