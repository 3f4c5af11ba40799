// Release signatures and file digests on OpenSSL's libcrypto.
#include "platform/posix/ReleaseCrypto_openssl.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>

#include <memory>
#include <vector>

namespace platform::posix {

namespace {

template <typename T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* p) const { Free(p); }
};
using MdContext = std::unique_ptr<EVP_MD_CTX, Deleter<EVP_MD_CTX, EVP_MD_CTX_free>>;
using PkeyContext = std::unique_ptr<EVP_PKEY_CTX, Deleter<EVP_PKEY_CTX, EVP_PKEY_CTX_free>>;
using Signature = std::unique_ptr<ECDSA_SIG, Deleter<ECDSA_SIG, ECDSA_SIG_free>>;
using ParamBuild = std::unique_ptr<OSSL_PARAM_BLD, Deleter<OSSL_PARAM_BLD, OSSL_PARAM_BLD_free>>;
using Params = std::unique_ptr<OSSL_PARAM, Deleter<OSSL_PARAM, OSSL_PARAM_free>>;

EVP_PKEY* importKey(std::span<const uint8_t> point) {
  if (point.size() != kReleaseKeySize || point[0] != 0x04) return nullptr;
  ParamBuild build(OSSL_PARAM_BLD_new());
  if (!build ||
      OSSL_PARAM_BLD_push_utf8_string(build.get(), OSSL_PKEY_PARAM_GROUP_NAME, "prime256v1", 0) !=
          1 ||
      OSSL_PARAM_BLD_push_octet_string(build.get(), OSSL_PKEY_PARAM_PUB_KEY, point.data(),
                                       point.size()) != 1) {
    return nullptr;
  }
  Params params(OSSL_PARAM_BLD_to_param(build.get()));
  PkeyContext context(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
  EVP_PKEY* key = nullptr;
  if (!params || !context || EVP_PKEY_fromdata_init(context.get()) != 1 ||
      EVP_PKEY_fromdata(context.get(), &key, EVP_PKEY_PUBLIC_KEY, params.get()) != 1) {
    return nullptr;
  }
  return key;
}

// The DER form OpenSSL verifies of a signature given as r and s; empty when it cannot be made.
std::vector<unsigned char> derSignature(const ReleaseSignature& signature) {
  Signature sig(ECDSA_SIG_new());
  BIGNUM* r = BN_bin2bn(signature.data(), 32, nullptr);
  BIGNUM* s = BN_bin2bn(signature.data() + 32, 32, nullptr);
  if (!sig || !r || !s || ECDSA_SIG_set0(sig.get(), r, s) != 1) {
    BN_free(r);
    BN_free(s);
    return {};
  }
  const int size = i2d_ECDSA_SIG(sig.get(), nullptr);
  if (size <= 0) return {};
  std::vector<unsigned char> der(static_cast<size_t>(size));
  unsigned char* out = der.data();
  if (i2d_ECDSA_SIG(sig.get(), &out) != size) return {};
  return der;
}

// EVP's digest context, fed piece by piece.
class EvpSha256 final : public Sha256Stream {
 public:
  explicit EvpSha256(MdContext context) : m_context(std::move(context)) {}
  bool add(std::string_view bytes) override {
    return EVP_DigestUpdate(m_context.get(), bytes.data(), bytes.size()) == 1;
  }
  std::optional<Sha256> finish() override {
    Sha256 out{};
    unsigned int size = 0;
    if (EVP_DigestFinal_ex(m_context.get(), out.data(), &size) != 1 || size != out.size()) {
      return std::nullopt;
    }
    return out;
  }

 private:
  MdContext m_context;
};

}  // namespace

OpenSslReleaseCrypto::OpenSslReleaseCrypto(std::span<const uint8_t> publicKey)
    : m_key(importKey(publicKey)) {}

OpenSslReleaseCrypto::~OpenSslReleaseCrypto() { EVP_PKEY_free(m_key); }

bool OpenSslReleaseCrypto::verify(std::string_view message, const ReleaseSignature& signature) {
  if (!m_key) return false;
  const std::vector<unsigned char> der = derSignature(signature);
  MdContext context(EVP_MD_CTX_new());
  if (der.empty() || !context ||
      EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, m_key) != 1) {
    return false;
  }
  return EVP_DigestVerify(context.get(), der.data(), der.size(),
                          reinterpret_cast<const unsigned char*>(message.data()),
                          message.size()) == 1;
}

std::unique_ptr<Sha256Stream> OpenSslReleaseCrypto::startDigest() {
  MdContext context(EVP_MD_CTX_new());
  if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) return nullptr;
  return std::make_unique<EvpSha256>(std::move(context));
}

std::optional<Sha256> OpenSslReleaseCrypto::digest(FileReader& reader) {
  auto hash = startDigest();
  if (!hash) return std::nullopt;
  std::vector<char> buffer(1 << 16);
  for (;;) {
    auto n = reader.read(buffer.data(), buffer.size());
    if (!n) return std::nullopt;
    if (*n == 0) break;
    if (!hash->add(std::string_view(buffer.data(), *n))) return std::nullopt;
  }
  return hash->finish();
}

}  // namespace platform::posix
