// The check of each file of a signed pass, made on the body as it arrives.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "download/ReleaseList.h"
#include "platform/HttpTransfer.h"

namespace download {

// Hashes a body piece by piece while the component receives it, then, once the transfer has
// passed its own checks, refuses it unless its name, size and SHA-256 are those of its line in
// the list: the file is never read back. A refused fetch fails with EipwHTTP and leaves no file;
// refused() then tells it from a failed transfer, so the caller shows the list's box.
class ReleaseFileJudge final : public platform::BodyJudge {
 public:
  // The list must outlive the judge; it may still be empty and filled later.
  ReleaseFileJudge(const ReleaseList& list, platform::ReleaseCrypto& crypto);

  // The file the next fetch brings, by its CP932 name; forgets the last refusal.
  void expect(const std::string& cp932Name);
  // Why the body of the last fetch was refused; kNone when it was not (even when its transfer
  // failed).
  ReleaseFault refused() const { return m_refused; }

  void beginBody(const std::string& url) override;
  void bodyPiece(std::string_view bytes) override;
  // Throws EipwHTTP with the fault's text when the body differs from its line.
  void judgeBody(int64_t size) override;

 private:
  ReleaseFault verdict(int64_t size);

  const ReleaseList& m_list;
  platform::ReleaseCrypto& m_crypto;
  const ReleaseFile* m_listed = nullptr;
  std::unique_ptr<platform::Sha256Stream> m_hash;
  bool m_hashFailed = false;
  uint64_t m_count = 0;
  ReleaseFault m_refused = ReleaseFault::kNone;
};

}  // namespace download
