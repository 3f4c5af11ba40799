// The publisher's key pair and signatures, on OpenSSL's libcrypto.
#include "tools/release/ReleaseSigning.h"

#include <fcntl.h>
#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace release {

namespace {

struct BioFree {
  void operator()(BIO* b) const { BIO_free(b); }
};
struct MdFree {
  void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};
struct SigFree {
  void operator()(ECDSA_SIG* s) const { ECDSA_SIG_free(s); }
};

// Creates a new file only its owner can read; throws when it exists.
void writeNewFile(const std::string& path, const void* data, size_t size, mode_t mode) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) throw std::runtime_error("cannot create " + path + " (does it exist already?)");
  const bool written = ::write(fd, data, size) == static_cast<ssize_t>(size);
  if (::close(fd) != 0 || !written) throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> publicPoint(EVP_PKEY* key) {
  std::vector<uint8_t> point(platform::kReleaseKeySize);
  size_t size = 0;
  if (EVP_PKEY_get_octet_string_param(key, OSSL_PKEY_PARAM_ENCODED_PUBLIC_KEY, point.data(),
                                      point.size(), &size) != 1 ||
      size != point.size() || point[0] != 0x04) {
    throw std::runtime_error("the key has no uncompressed P-256 public point");
  }
  return point;
}

}  // namespace

void makeKeyPair(const std::string& name) {
  EVP_PKEY* key = EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256");
  if (!key) throw std::runtime_error("cannot make a P-256 key");
  std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> owned(key, EVP_PKEY_free);
  std::unique_ptr<BIO, BioFree> pem(BIO_new(BIO_s_mem()));
  if (!pem ||
      PEM_write_bio_PrivateKey(pem.get(), key, nullptr, nullptr, 0, nullptr, nullptr) != 1) {
    throw std::runtime_error("cannot write the private key");
  }
  char* data = nullptr;
  const long size = BIO_get_mem_data(pem.get(), &data);
  const std::vector<uint8_t> point = publicPoint(key);
  writeNewFile(name + ".key", data, static_cast<size_t>(size), 0600);
  writeNewFile(name + ".pub", point.data(), point.size(), 0644);
}

Signer::Signer(const std::string& keyFile) {
  std::unique_ptr<BIO, BioFree> in(BIO_new_file(keyFile.c_str(), "rb"));
  if (in) m_key = PEM_read_bio_PrivateKey(in.get(), nullptr, nullptr, nullptr);
  char group[32] = {};
  size_t length = 0;
  if (!m_key ||
      EVP_PKEY_get_utf8_string_param(m_key, OSSL_PKEY_PARAM_GROUP_NAME, group, sizeof group,
                                     &length) != 1 ||
      std::string(group) != "prime256v1") {
    EVP_PKEY_free(m_key);
    throw std::runtime_error(keyFile + " holds no P-256 private key");
  }
}

Signer::~Signer() { EVP_PKEY_free(m_key); }

platform::ReleaseSignature Signer::sign(std::string_view message) {
  std::unique_ptr<EVP_MD_CTX, MdFree> context(EVP_MD_CTX_new());
  size_t size = 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(message.data());
  if (!context || EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, m_key) != 1 ||
      EVP_DigestSign(context.get(), nullptr, &size, bytes, message.size()) != 1) {
    throw std::runtime_error("cannot sign");
  }
  std::vector<unsigned char> der(size);
  if (EVP_DigestSign(context.get(), der.data(), &size, bytes, message.size()) != 1) {
    throw std::runtime_error("cannot sign");
  }
  const unsigned char* in = der.data();
  std::unique_ptr<ECDSA_SIG, SigFree> sig(d2i_ECDSA_SIG(nullptr, &in, static_cast<long>(size)));
  platform::ReleaseSignature out{};
  if (!sig || BN_bn2binpad(ECDSA_SIG_get0_r(sig.get()), out.data(), 32) != 32 ||
      BN_bn2binpad(ECDSA_SIG_get0_s(sig.get()), out.data() + 32, 32) != 32) {
    throw std::runtime_error("cannot read the signature");
  }
  return out;
}

std::vector<uint8_t> Signer::publicKey() const { return publicPoint(m_key); }

}  // namespace release
