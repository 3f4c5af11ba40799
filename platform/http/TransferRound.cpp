// One try of a fetch on the wire: the wait loop, and what arrived turned into events.
#include <algorithm>
#include <limits>

#include "platform/AsciiCase.h"
#include "platform/http/TransferState.h"

namespace platform::http {

namespace {

int32_t clampedTotal(int64_t total) {
  return static_cast<int32_t>(std::min<int64_t>(total, std::numeric_limits<int32_t>::max()));
}

// The announced body length; nullopt when absent or not a plain decimal number.
std::optional<int64_t> contentLength(const HeadFields& fields) {
  for (const auto& [field, value] : fields) {
    if (!ascii::equalsIgnoreCase(field, "Content-Length")) continue;
    if (value.empty() || value.size() > 18) return std::nullopt;
    int64_t length = 0;
    for (char c : value) {
      if (c < '0' || c > '9') return std::nullopt;
      length = length * 10 + (c - '0');
    }
    return length;
  }
  return std::nullopt;
}

}  // namespace

template <typename Call>
bool TransferContract::raise(Round& r, Call&& call) {
  if (r.handlerError || m_abortRequested) return false;
  try {
    if (m_events) call(*m_events);
  } catch (...) {
    r.handlerError = std::current_exception();
    return false;
  }
  return !m_abortRequested;
}

void TransferContract::runRound(Fetch& f, Round& r) {
  startRequest(f.request);
  struct Stop {
    TransferContract& self;
    ~Stop() { self.stopRequest(); }
  } stop{*this};
  r.watch.start(nowMs());
  std::vector<WireNote> notes;
  for (;;) {
    notes.clear();
    int64_t headBytes = 0;
    collectNotes(notes, headBytes);
    r.watch.arrived(nowMs(), headBytes);
    deliverNotes(f, r, notes);
    if (r.handlerError || m_abortRequested || r.settled()) return;
    if (r.watch.stalled(nowMs())) {
      r.stalled = true;
      return;
    }
    // Window messages run here, between rounds: a Cancel click only raises the abort flag.
    try {
      m_pump.processMessages();
    } catch (...) {
      r.handlerError = std::current_exception();
      return;
    }
    if (m_abortRequested) return;
    waitForWire(m_pollInterval);
  }
}

void TransferContract::deliverNotes(Fetch& f, Round& r, std::vector<WireNote>& notes) {
  r.pieceText.clear();
  for (WireNote& note : notes) {
    if (r.settled() || r.handlerError || m_abortRequested) break;
    switch (note.kind) {
      case WireNote::Kind::kHead:
        deliverHead(f, r, note);
        break;
      case WireNote::Kind::kPiece:
        if (r.started) deliverPiece(f, r, note.bytes);
        break;
      case WireNote::Kind::kEnd:
        r.bodyEnded = true;
        break;
      case WireNote::Kind::kFailure:
        r.failure = std::move(note);
        break;
    }
  }
  if (!r.started || r.pieceText.empty() || r.handlerError || m_abortRequested) return;
  r.pieceRaised = true;
  const int32_t total = clampedTotal(r.received);
  raise(r, [&](HttpTransferEvents& ev) { ev.OnTransfer(*this, 0, total, r.pieceText); });
}

void TransferContract::deliverHead(Fetch& f, Round& r, WireNote& head) {
  r.headSeen = true;
  r.status = head.status;
  r.reason = std::move(head.reason);
  r.fields = std::move(head.fields);
  // Answers that lead to another try of the same file are not the file's: no event.
  if (r.status == 407 && !f.request.proxyHost.empty()) {
    r.signInWanted = true;
    return;
  }
  if (r.status == 400 && !f.encodedTried && hasHighBytes(f.request.url)) {
    r.encodedWanted = true;
    return;
  }
  r.announced = contentLength(r.fields);
  if (r.announced && *r.announced > m_sizeLimit) {
    r.tooLarge = true;
    return;
  }
  for (const auto& [field, value] : r.fields) {
    if (!raise(r, [&](HttpTransferEvents& ev) { ev.OnHeader(*this, field, value); })) return;
  }
  if (!isSuccessStatus(r.status)) return;
  r.started = true;
  if (m_judge) {
    try {
      m_judge->beginBody(f.url);
    } catch (...) {
      r.handlerError = std::current_exception();
      return;
    }
  }
  raise(r, [&](HttpTransferEvents& ev) { ev.OnStartTransfer(*this, 0); });
}

void TransferContract::deliverPiece(Fetch& f, Round& r, const std::string& bytes) {
  r.watch.arrived(nowMs(), static_cast<int64_t>(bytes.size()));
  // A body without a length may not reach the limit: at the limit the window could not tell it
  // from a complete one.
  size_t size = bytes.size();
  if (!r.announced && r.received + static_cast<int64_t>(size) >= m_sizeLimit) {
    size = static_cast<size_t>(std::max<int64_t>(m_sizeLimit - 1 - r.received, 0));
    r.tooLarge = true;
  }
  const std::string_view piece(bytes.data(), size);
  if (f.body) {
    r.writeStatus = f.body->write(piece.data(), piece.size());
    if (!r.writeStatus.ok()) return;
  }
  if (m_judge) {
    try {
      m_judge->bodyPiece(piece);
    } catch (...) {
      r.handlerError = std::current_exception();
      return;
    }
  }
  r.received += static_cast<int64_t>(size);
  r.pieceText += piece;
}

}  // namespace platform::http
