// The wait loop of a fetch on the window's thread: what the worker handed over becomes events,
// then window messages run, then a short wait for the worker or a new message.
#include <windows.h>

#include <algorithm>
#include <limits>

#include "platform/AsciiCase.h"
#include "platform/win32/HttpTransferState_wininet.h"

namespace platform::win32 {

namespace {

int32_t clampedTotal(int64_t total) {
  return static_cast<int32_t>(std::min<int64_t>(total, std::numeric_limits<int32_t>::max()));
}

// The announced body length; nullopt when absent or not a plain decimal number.
std::optional<int64_t> contentLength(const FetchNote& head) {
  for (const auto& [field, value] : head.fields) {
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

void WinInetTransfer::runLoop(Fetch& f, FetchChannel& channel) {
  f.lastActivity = SteadyClock::now();
  for (;;) {
    deliverNotes(f, channel);
    if (f.handlerError || m_abortRequested || f.settled()) return;
    // This watch ends a silent fetch; WinINet's own time-out is set later than this.
    if (SteadyClock::now() - f.lastActivity > m_stallTimeout) {
      f.stalled = true;
      return;
    }
    // Window messages run here, between rounds: a Cancel click only raises the abort flag.
    try {
      m_pump.processMessages();
    } catch (...) {
      f.handlerError = std::current_exception();
      return;
    }
    if (m_abortRequested) return;
    // Wakes for the worker's next note or for a new window message, whichever comes first.
    const HANDLE ready = channel.readyEvent();
    ::MsgWaitForMultipleObjects(1, &ready, FALSE, static_cast<DWORD>(m_pollInterval.count()),
                                QS_ALLINPUT);
  }
}

void WinInetTransfer::deliverNotes(Fetch& f, FetchChannel& channel) {
  std::vector<FetchNote> notes = channel.take();
  if (notes.empty()) return;
  f.lastActivity = SteadyClock::now();
  // Each handler may abort or fail; nothing more is raised after that.
  auto raise = [&](auto&& call) {
    if (f.handlerError || m_abortRequested) return false;
    try {
      if (m_events) call(*m_events);
    } catch (...) {
      f.handlerError = std::current_exception();
      return false;
    }
    return !m_abortRequested;
  };
  f.pieceText.clear();
  for (FetchNote& note : notes) {
    switch (note.kind) {
      case FetchNote::Kind::kHead:
        f.headSeen = true;
        f.status = note.status;
        f.reason = note.reason;
        f.announced = contentLength(note);
        for (const auto& [field, value] : note.fields) {
          if (!raise([&](HttpTransferEvents& ev) { ev.OnHeader(*this, field, value); })) return;
        }
        if (!isSuccessStatus(f.status)) return;
        f.started = true;
        if (!raise([&](HttpTransferEvents& ev) { ev.OnStartTransfer(*this, 0); })) return;
        break;
      case FetchNote::Kind::kPiece:
        if (f.storeBody) {
          f.writeStatus = f.body.write(note.bytes.data(), note.bytes.size());
          if (!f.writeStatus.ok()) return;
        }
        f.received += static_cast<int64_t>(note.bytes.size());
        f.pieceText += note.bytes;
        break;
      case FetchNote::Kind::kEnd:
        f.bodyEnded = true;
        break;
      case FetchNote::Kind::kFailure:
        f.failure = std::move(note);
        break;
    }
  }
  if (!f.started || f.pieceText.empty()) return;
  f.pieceRaised = true;
  const int32_t total = clampedTotal(f.received);
  raise([&](HttpTransferEvents& ev) { ev.OnTransfer(*this, 0, total, f.pieceText); });
}

void WinInetTransfer::fail(Fetch& f, int code, const std::string& description) {
  f.body.discard();
  if (f.started && !f.ended) {
    f.ended = true;
    try {
      if (m_events) m_events->OnEndTransfer(*this, 0);
    } catch (...) {
      // already failing; the first error is the one reported
    }
  }
  throw EipwHTTP(code, description);
}

}  // namespace platform::win32
