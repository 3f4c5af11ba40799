// The check of each file of a signed pass, made on the body as it arrives.
#include "download/ReleaseFileJudge.h"

#include <algorithm>

namespace download {

namespace {

// The code a refused body fails with: that of a fetch its handler ended.
constexpr int kRefusedCode = 1042;

}  // namespace

ReleaseFileJudge::ReleaseFileJudge(const ReleaseList& list, platform::ReleaseCrypto& crypto)
    : m_list(list), m_crypto(crypto) {}

void ReleaseFileJudge::expect(const std::string& cp932Name) {
  auto listed = m_list.files.find(cp932Name);
  m_listed = listed == m_list.files.end() ? nullptr : &listed->second;
  m_hash.reset();
  m_refused = ReleaseFault::kNone;
}

void ReleaseFileJudge::beginBody(const std::string&) {
  // Also a fetch's second try: what came before does not count.
  m_count = 0;
  m_hash = m_listed ? m_crypto.startDigest() : nullptr;
  m_hashFailed = m_listed && !m_hash;
}

void ReleaseFileJudge::bodyPiece(std::string_view bytes) {
  const uint64_t before = m_count;
  m_count += bytes.size();
  // Bytes past the listed size are only counted: such a body is refused for its size anyway.
  if (!m_hash || m_hashFailed || before >= m_listed->size) return;
  const auto within =
      static_cast<size_t>(std::min<uint64_t>(bytes.size(), m_listed->size - before));
  if (!m_hash->add(bytes.substr(0, within))) m_hashFailed = true;
}

ReleaseFault ReleaseFileJudge::verdict(int64_t size) {
  if (!m_listed) return ReleaseFault::kNotListed;
  if (size < 0 || static_cast<uint64_t>(size) != m_listed->size || m_count != m_listed->size) {
    return ReleaseFault::kOtherSize;
  }
  if (m_hashFailed || !m_hash) return ReleaseFault::kFileUnreadable;
  auto digest = m_hash->finish();
  m_hash.reset();
  if (!digest) return ReleaseFault::kFileUnreadable;
  return *digest == m_listed->digest ? ReleaseFault::kNone : ReleaseFault::kOtherContent;
}

void ReleaseFileJudge::judgeBody(int64_t size) {
  const ReleaseFault fault = verdict(size);
  if (fault == ReleaseFault::kNone) return;
  m_refused = fault;
  throw platform::EipwHTTP(kRefusedCode, releaseFaultText(fault));
}

}  // namespace download
